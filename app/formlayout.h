#pragma once

#include <QAnyStringView>
#include <QRect>

#include <span>

class QWidget;

// Where every control of the main window sits. Positions and sizes are kept in twips, the unit the
// window was drawn in, and converted once, here, to device-independent pixels.
namespace formlayout {

inline constexpr int TwipsPerPixel = 15;

int toPixels(int twips);

// The container a control sits in: the window itself, or one page of the tab control. Page
// controls are placed in the tab control's coordinates, which are also the window's.
enum class Container { Window, TestAjax, GenerateCode, About };

struct Place {
    const char* name;
    Container container;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;

    QRect pixels() const;
};

// Every control of the window, the window's own three first.
std::span<const Place> places();

// The place of the control with that name; nullptr if there is none.
const Place* find(QAnyStringView name);

// The Tab key goes through the window's controls that take the focus in their places' tab order.
void setTabOrder(QWidget* window);

inline constexpr int ClientWidth = 5085;
inline constexpr int ClientHeight = 7410;
inline constexpr int TabStripThickness = 520;
inline constexpr int StatusPanelWidth = 1440;
inline constexpr int HeaderColumnWidth = 1440;

} // namespace formlayout
