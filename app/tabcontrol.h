#pragma once

#include <QTabWidget>

// A tab control with its tab strip along the left edge: the strip has a fixed thickness and its tabs
// share the strip's whole length equally, all in one row.
class TabControl : public QTabWidget {
    Q_OBJECT
public:
    TabControl(int stripThickness, QWidget* parent = nullptr);
};
