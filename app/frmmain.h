#pragma once

#include "request.h"
#include "requestpaste.h"

#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class ClickLabel;
class PasteBox;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class LineBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTreeWidget;
class RequestSender;
class ResultBox;
class StatusPanel;
class TabControl;
class TextView;

namespace platform {
struct Services;
}

// The program's one window: a frameless, fixed-size window with a three-page tab control, a status
// bar and an exit button. It is moved by dragging its tab control.
class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(platform::Services& services, QWidget* parent = nullptr);

    // The window's controls, by the names they are known by.
    struct Controls {
        QPushButton* Command6 = nullptr;
        TabControl* SSTab1 = nullptr;
        QStatusBar* StatusBar1 = nullptr;
        StatusPanel* StatusPanel1 = nullptr; // its text as it is: say() is the second panel's
        StatusPanel* StatusPanel2 = nullptr;

        QLabel* Label3 = nullptr;
        PasteBox* txtUrl = nullptr;
        QLabel* Label2 = nullptr;
        LineBox* Text1 = nullptr;
        QLabel* Label5 = nullptr;
        QLabel* Label4 = nullptr;
        PasteBox* txtHeader = nullptr;
        LineBox* txtHeaderValue = nullptr;
        QPushButton* Command2 = nullptr;
        QTreeWidget* lvHeaders = nullptr;
        QPushButton* Command3 = nullptr;
        QCheckBox* Check1 = nullptr;
        std::array<QRadioButton*, 2> Option1 {};
        QButtonGroup* Option1Group = nullptr;
        QPushButton* Command1 = nullptr;
        QLabel* Label1 = nullptr;
        TextView* Text2 = nullptr;

        QLabel* Label6 = nullptr;
        QComboBox* cboCode = nullptr;
        QPushButton* Command5 = nullptr;
        QPlainTextEdit* txtGeneratedCode = nullptr;
        QPushButton* Command4 = nullptr;
        QLabel* Label10 = nullptr;

        QLabel* Label7 = nullptr;
        QLabel* Label8 = nullptr;
        QLabel* Label9 = nullptr;
        QLabel* Label12 = nullptr;
        QLabel* Label15 = nullptr;
        ClickLabel* Label14 = nullptr;
        ClickLabel* Label16 = nullptr;
        ClickLabel* Label17 = nullptr;
        ClickLabel* Label13 = nullptr;
    };

    // The result box's menu: Copy and Select All, and for a response, Response Headers, Format JSON
    // (offered for JSON only) and Save Response.
    QMenu* createResultMenu();

    // Handlers, named after the control and the event that runs them.
    void Form_Load();
    void Command6_Click();
    void SSTab1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPointF& globalPosition);
    void Label13_Click();
    void Label14_Click();
    void Label16_Click();
    void Label17_Click();
    void Command5_Click();
    void Command4_Click();
    void Command2_Click();
    void txtHeaderValue_KeyPress(int keyAscii);
    void Command3_Click();
    void Command1_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void createHiddenPages();
    void connectHandlers();
    void showPage(int page);
    void openLink(const QUrl& target);
    QString generateCode(const QString& languageName) const;
    request::Request readPage() const;
    void writePage(const request::Request& page);
    bool showPaste(const std::optional<RequestPaste::Outcome>& outcome);
    void setStatus(const QString& text);
    void setDetail(const QString& text, const QString& tooltip = {});

    template <typename Control, typename... Args> Control* add(const char* name, Args&&... args);
    template <typename Step> void handle(Step&& step);

    platform::Services& m_services;
    Controls m_ui;
    std::array<std::vector<QWidget*>, 3> m_pageControls;
    bool m_hiddenPagesBuilt = false;
    bool m_hiddenPagesQueued = false;
    RequestPaste m_paste;
    ResultBox* m_resultBox = nullptr;
    RequestSender* m_sender = nullptr;
};
