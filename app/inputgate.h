#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While it lives, what the user clicks or types in the program's widgets is taken and dropped rather
// than queued for later. One widget still takes input (the exit button), and windows still close.
class InputGate : public QObject {
    Q_OBJECT
public:
    explicit InputGate(QWidget* letThrough);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_letThrough;
};
