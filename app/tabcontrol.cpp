#include "tabcontrol.h"

#include <QTabBar>

namespace {

class TabStrip final : public QTabBar {
public:
    TabStrip(int thickness, QWidget* parent)
        : QTabBar(parent)
        , m_thickness(thickness)
    {
        setElideMode(Qt::ElideNone);
        setUsesScrollButtons(false);
        setDrawBase(false);
    }

protected:
    QSize tabSizeHint(int index) const override
    {
        // Tab i spans from i/n to (i+1)/n of the strip, so the tabs always add up to its full length.
        const int length = parentWidget() ? parentWidget()->height() : QTabBar::tabSizeHint(index).height();
        const int tabs = qMax(1, count());
        const int from = length * index / tabs;
        const int to = length * (index + 1) / tabs;
        return { m_thickness, to - from };
    }

    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    int m_thickness;
};

} // namespace

TabControl::TabControl(int stripThickness, QWidget* parent)
    : QTabWidget(parent)
{
    setTabBar(new TabStrip(stripThickness, this));
    setTabPosition(QTabWidget::West);
    setDocumentMode(false);
}

void TabControl::addPage(const QString& caption)
{
    auto* page = new QWidget;
    page->setAutoFillBackground(true);
    QPalette buttonFace = page->palette();
    buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
    page->setPalette(buttonFace);
    addTab(page, caption);
}
