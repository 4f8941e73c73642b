#include "formlayout.h"

#include <QString>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace formlayout {

namespace {
    using enum Container;

    // clang-format off
    constexpr std::array Places {
        //     name                container     left   top  width height  tab index
        Place { "Command6",         Window,       4080, 7200,   855,  195, 34 },
        Place { "SSTab1",           Window,          0,    0,  5085, 7095, 16 },
        Place { "StatusBar1",       Window,          0, 7035,  5085,  375,  0 },

        Place { "Label3",           TestAjax,      660,   60,   195,  195, 20 },
        Place { "txtUrl",           TestAjax,      660,  300,  3855,  285,  1 },
        Place { "Label2",           TestAjax,      660,  660,  1815,  375, 21 },
        Place { "Text1",            TestAjax,      660,  900,  3855,  285,  2 },
        Place { "Label5",           TestAjax,     3060,  900,   375,  255, 18 },
        Place { "Label4",           TestAjax,      660, 1260,  2535,  255, 19 },
        Place { "txtHeader",        TestAjax,     1980, 1260,  1335,  285,  3 },
        Place { "txtHeaderValue",   TestAjax,     3420, 1260,  1095,  285,  4 },
        Place { "Command2",         TestAjax,     4560, 1260,   375,  255, 17 },
        Place { "lvHeaders",        TestAjax,      660, 1620,  3855, 1095,  5 },
        Place { "Command3",         TestAjax,     4560, 2400,   375,  255,  6 },
        Place { "Check1",           TestAjax,      660, 2820,  1815,  255,  7 },
        Place { "Option1(0)",       TestAjax,      660, 3180,   975,  255,  8 },
        Place { "Option1(1)",       TestAjax,     1860, 3180,   975,  255,  9 },
        Place { "Command1",         TestAjax,     3180, 3900,  1215,  495, 10 },
        Place { "Label1",           TestAjax,      540, 4260,  1455,  255, 22 },
        Place { "Text2",            TestAjax,      540, 4500,  3975, 2055, 11 },

        Place { "Label6",           GenerateCode,  480,  120,   855,  255, 23 },
        Place { "cboCode",          GenerateCode, 1320,  120,  2295,  315, 12 },
        Place { "Command5",         GenerateCode, 3600,  120,   975,  255, 13 },
        Place { "txtGeneratedCode", GenerateCode,  480,  480,  4455, 4455, 14 },
        Place { "Command4",         GenerateCode, 3480, 5040,  1335,  375, 15 },
        Place { "Label10",          GenerateCode,  600, 5520,  4215, 1095, 27 },

        Place { "Label7",           About,         840,  240,  3510,  195, 24 },
        Place { "Label8",           About,         840,  480,   960,  195, 25 },
        Place { "Label9",           About,         840,  960,  3495, 1335, 26 },
        Place { "Label12",          About,         840, 2400,  3495,  255, 28 },
        Place { "Label15",          About,         720, 3360,  1575,  255, 31 },
        Place { "Label14",          About,        1080, 3600,  3435,  300, 30 },
        Place { "Label16",          About,        1080, 4080,  2145,  300, 32 },
        Place { "Label17",          About,        1080, 4560,  2775,  300, 33 },
        Place { "Label13",          About,        1080, 6360,  3375,  495, 29 },
    };
    // clang-format on
}

int toPixels(int twips)
{
    return static_cast<int>(std::lround(double(twips) / TwipsPerPixel));
}

QRect Place::pixels() const
{
    return { toPixels(left), toPixels(top), toPixels(width), toPixels(height) };
}

std::span<const Place> places()
{
    return Places;
}

const Place* find(QAnyStringView name)
{
    for (const Place& place : Places) {
        if (QAnyStringView::equal(name, QLatin1StringView(place.name)))
            return &place;
    }
    return nullptr;
}

void setTabOrder(QWidget* window)
{
    std::vector<std::pair<int, QWidget*>> order;
    for (const Place& place : places()) {
        auto* control = window->findChild<QWidget*>(QLatin1StringView(place.name));
        if (control && control->focusPolicy() != Qt::NoFocus)
            order.emplace_back(place.tabIndex, control);
    }
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

} // namespace formlayout
