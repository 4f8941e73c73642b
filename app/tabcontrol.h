#pragma once

#include <QTabWidget>

// A tab control with its tab strip along the left edge: the strip has a fixed thickness and its tabs
// share the strip's whole length equally, all in one row.
class TabControl : public QTabWidget {
    Q_OBJECT
public:
    TabControl(int stripThickness, QWidget* parent = nullptr);

    // A page in the colour of a button's face, as the tab control's pages are, with this caption.
    void addPage(const QString& caption);
};
