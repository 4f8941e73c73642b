#pragma once

#include <QLabel>

// The status bar's second panel: one line, cut short with an ellipsis where it does not fit, all of it
// (or what is to be said instead) as its tooltip and its accessible description. A screen reader hears
// the line whole, however short the panel cuts it, and hears it again when the same words come again.
class StatusPanel : public QLabel {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent);

    void say(const QString& text, const QString& tooltip = {});
    // While something runs: the line and its tooltip change, and the accessible description with them,
    // but not the name, so that a screen reader is not told of every step.
    void showProgress(const QString& text);

private:
    QString fitted(const QString& text) const;
};
