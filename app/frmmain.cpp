#include "frmmain.h"

#include "aboutlinks.h"
#include "clicklabel.h"
#include "controlsetup.h"
#include "fonts.h"
#include "formlayout.h"
#include "generator.h"
#include "handled.h"
#include "headerlist.h"
#include "languages.h"
#include "linebox.h"
#include "pastebox.h"
#include "requestsender.h"
#include "resultbox.h"
#include "services.h"
#include "statuspanel.h"
#include "tabcontrol.h"
#include "textview.h"
#include "versionrecord.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

using namespace controlsetup;

namespace {

constexpr qreal DefaultPointSize = 8.25;

const QString Label7Caption = u"Reruzad: HTTP request tester"_s;
const QString Label8Caption = u"Reruzad team"_s;
const QString Label9Caption
    = u"Reruzad is provided as is, without warranty of any kind: you use it at your own risk. You may use, "
      u"copy, change and share it under the terms of the MIT License that comes with it."_s;
const QString Label10Caption
    = u"This code generator uses the information provided in Test AJAX. Simply copy and paste the code. Clicking "
      u"copy will put the code into the clipboard. The purpose of this code is to give you a head start into the "
      u"developing results you hope to achieve."_s;

} // namespace

frmMain::frmMain(platform::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_services(services)
{
    setObjectName(u"frmMain"_s);
    setWindowTitle(u"Reruzad"_s);
    setFont(fonts::msSansSerif(DefaultPointSize));
    setFixedSize(formlayout::toPixels(formlayout::ClientWidth), formlayout::toPixels(formlayout::ClientHeight));

    createControls();
    formlayout::setTabOrder(this);
    connectHandlers();
    showPage(0);
    m_ui.txtUrl->setFocus();
}

template <typename Control, typename... Args> Control* frmMain::add(const char* name, Args&&... args)
{
    const formlayout::Place* place = formlayout::find(QLatin1StringView(name));
    Q_ASSERT(place);
    const bool onPage = place->container != formlayout::Container::Window;
    auto* control = new Control(std::forward<Args>(args)..., onPage ? static_cast<QWidget*>(m_ui.SSTab1) : this);
    control->setObjectName(QLatin1StringView(name));
    control->setGeometry(place->pixels());
    if (onPage) {
        m_pageControls[static_cast<int>(place->container) - 1].push_back(control);
        // A press on a control belongs to that control and never reaches the tab control beneath it.
        control->setAttribute(Qt::WA_NoMousePropagation);
    }
    return control;
}

void frmMain::createControls()
{
    auto& ui = m_ui;

    // The window's own controls, back to front.
    ui.StatusBar1 = add<QStatusBar>("StatusBar1");
    ui.StatusBar1->setSizeGripEnabled(false);
    ui.StatusPanel1 = new StatusPanel(ui.StatusBar1);
    ui.StatusPanel1->setObjectName(u"StatusPanel1"_s);
    ui.StatusPanel1->setText(u"Ready"_s);
    ui.StatusPanel1->setFixedWidth(formlayout::toPixels(formlayout::StatusPanelWidth));
    ui.StatusBar1->addWidget(ui.StatusPanel1);
    // The second panel reaches to the exit button, which lies over the bar's right end.
    ui.StatusPanel2 = new StatusPanel(ui.StatusBar1);
    ui.StatusPanel2->setObjectName(u"StatusPanel2"_s);
    ui.StatusPanel2->setFixedWidth(formlayout::toPixels(formlayout::find("Command6")->left)
        - formlayout::toPixels(formlayout::StatusPanelWidth) - 12);
    ui.StatusBar1->addWidget(ui.StatusPanel2);

    ui.SSTab1 = add<TabControl>("SSTab1", formlayout::toPixels(formlayout::TabStripThickness));
    ui.SSTab1->tabBar()->setFont(fonts::palatinoLinotype(DefaultPointSize));
    for (const QString& caption : { u"Test AJAX"_s, u"Generate Code"_s, u"About"_s })
        ui.SSTab1->addPage(caption);

    ui.Command6 = setUpButton(add<QPushButton>("Command6", u"exit"_s));

    // "Test AJAX": the request and its response.
    setUpLabel(ui.Label3 = add<QLabel>("Label3"), u"Url"_s, Wrap::SizedToCaption);
    ui.txtUrl = add<PasteBox>("txtUrl");
    setUpLabel(ui.Label2 = add<QLabel>("Label2"), u"Data"_s, Wrap::WithinBox);
    ui.Text1 = add<LineBox>("Text1");
    setUpLabel(ui.Label5 = add<QLabel>("Label5"), u"="_s, Wrap::WithinBox);
    setUpLabel(ui.Label4 = add<QLabel>("Label4"), u"Request Header"_s, Wrap::WithinBox);
    ui.txtHeader = add<PasteBox>("txtHeader");
    ui.txtHeaderValue = add<LineBox>("txtHeaderValue");
    ui.Command2 = setUpButton(add<QPushButton>("Command2", u"+"_s));
    headerlist::setUpList(ui.lvHeaders = add<QTreeWidget>("lvHeaders"));
    ui.Command3 = setUpButton(add<QPushButton>("Command3", u"C"_s));
    ui.Check1 = add<QCheckBox>("Check1", u"Synch"_s);
    ui.Option1[0] = add<QRadioButton>("Option1(0)", u"POST"_s);
    ui.Option1[1] = add<QRadioButton>("Option1(1)", u"GET"_s);
    ui.Option1Group = new QButtonGroup(this);
    ui.Option1Group->setObjectName(u"Option1"_s);
    for (int index = 0; index < 2; ++index)
        ui.Option1Group->addButton(ui.Option1[index], index);
    ui.Option1[1]->setChecked(true);
    ui.Command1 = setUpButton(add<QPushButton>("Command1", u"Send"_s));
    setUpLabel(ui.Label1 = add<QLabel>("Label1"), u"&Result Text"_s, Wrap::WithinBox);
    // Responses of any size, one long line included, show at once.
    ui.Text2 = add<TextView>("Text2");
    ui.Label1->setBuddy(ui.Text2);
    m_resultBox = new ResultBox(ui.Text2, m_services, this);
    m_sender = new RequestSender(m_resultBox, ui.Command6, *m_services.errorReport, this);

    // What a screen reader calls each box: its label's caption, or where one label covers two boxes or
    // none is there, a name of its own.
    ui.Label3->setBuddy(ui.txtUrl);
    ui.Label2->setBuddy(ui.Text1);
    ui.txtHeader->setAccessibleName(u"Request header name"_s);
    ui.txtHeaderValue->setAccessibleName(u"Request header value"_s);
    ui.lvHeaders->setAccessibleName(u"Request headers"_s);

    fitToCaption({ ui.Label3 });
    stackLabelsBeneath(m_pageControls[0]);
    ui.Command6->raise();
}

// The two pages out of sight are built once the window is on screen, or as soon as one of them is
// asked for, whichever comes first; the load step fills them.
void frmMain::createHiddenPages()
{
    if (m_hiddenPagesBuilt)
        return;
    m_hiddenPagesBuilt = true;
    auto& ui = m_ui;

    // "Generate Code".
    setUpLabel(ui.Label6 = add<QLabel>("Label6"), u"Language"_s, Wrap::WithinBox);
    ui.cboCode = add<QComboBox>("cboCode");
    ui.cboCode->setEditable(false);
    ui.Command5 = setUpButton(add<QPushButton>("Command5", u"Generate"_s));
    ui.txtGeneratedCode = add<QPlainTextEdit>("txtGeneratedCode");
    setUpMultiLineBox(ui.txtGeneratedCode);
    ui.txtGeneratedCode->setFont(fonts::tahoma(12));
    ui.Command4 = setUpButton(add<QPushButton>("Command4", u"&Copy"_s));
    ui.Label6->setBuddy(ui.cboCode);
    ui.txtGeneratedCode->setAccessibleName(u"Generated code"_s);
    setUpLabel(ui.Label10 = add<QLabel>("Label10"), Label10Caption, Wrap::WithinBox);

    // "About".
    setUpLabel(ui.Label7 = add<QLabel>("Label7"), Label7Caption, Wrap::SizedToCaption);
    setUpLabel(ui.Label8 = add<QLabel>("Label8"), Label8Caption, Wrap::SizedToCaption);
    setUpLabel(ui.Label9 = add<QLabel>("Label9"), Label9Caption, Wrap::WithinBox);
    setUpLabel(ui.Label12 = add<QLabel>("Label12"), u"Version"_s, Wrap::WithinBox);
    setUpLabel(ui.Label15 = add<QLabel>("Label15"), u"Available Services"_s, Wrap::WithinBox);
    setUpLabel(ui.Label14 = add<ClickLabel>("Label14"), u"Try a Durare Web Package"_s, Wrap::SizedToCaption);
    setUpLabel(ui.Label16 = add<ClickLabel>("Label16"), u"Other Webservices"_s, Wrap::SizedToCaption);
    setUpLabel(ui.Label17 = add<ClickLabel>("Label17"), u"Website Design Services"_s, Wrap::SizedToCaption);
    setUpLabel(ui.Label13 = add<ClickLabel>("Label13"), aboutlinks::makerAddress(), Wrap::WithinBox);
    setUpLinks({ ui.Label14, ui.Label16, ui.Label17 }, ui.Label13);

    fitToCaption({ ui.Label7, ui.Label8, ui.Label14, ui.Label16, ui.Label17 });
    stackLabelsBeneath(m_pageControls[1]);
    stackLabelsBeneath(m_pageControls[2]);
    formlayout::setTabOrder(this);
    connect(ui.Command5, &QPushButton::clicked, this, &frmMain::Command5_Click);
    connect(ui.Command4, &QPushButton::clicked, this, &frmMain::Command4_Click);
    connect(ui.Label13, &ClickLabel::clicked, this, &frmMain::Label13_Click);
    connect(ui.Label14, &ClickLabel::clicked, this, &frmMain::Label14_Click);
    connect(ui.Label16, &ClickLabel::clicked, this, &frmMain::Label16_Click);
    connect(ui.Label17, &ClickLabel::clicked, this, &frmMain::Label17_Click);
    showPage(ui.SSTab1->currentIndex());
    handle([this] { Form_Load(); });
}

void frmMain::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!m_hiddenPagesBuilt && !m_hiddenPagesQueued) {
        m_hiddenPagesQueued = true;
        QTimer::singleShot(0, this, &frmMain::createHiddenPages);
    }
}

void frmMain::connectHandlers()
{
    auto& ui = m_ui;
    connect(ui.SSTab1, &QTabWidget::currentChanged, this, &frmMain::showPage);
    ui.SSTab1->installEventFilter(this);
    // A press on the strip is handled there, whichever button: it goes no further up to the tab control.
    ui.SSTab1->tabBar()->setAttribute(Qt::WA_NoMousePropagation);
    ui.SSTab1->tabBar()->installEventFilter(this);

    tabStopAtChosen(ui.Option1Group);

    connect(ui.Command6, &QPushButton::clicked, this, &frmMain::Command6_Click);
    connect(ui.Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(m_resultBox, &ResultBox::said, this, &frmMain::setDetail);
    connect(m_sender, &RequestSender::statusSaid, this, &frmMain::setStatus);
    connect(
        m_sender, &RequestSender::failed, this, [this](const QString& message) { setDetail(u"failed"_s, message); });
    connect(m_sender, &RequestSender::progressed, ui.StatusPanel2, &StatusPanel::showProgress);
    connect(ui.Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(ui.Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
    ui.txtHeaderValue->installEventFilter(this);

    // A request pasted into the URL box fills the page; header lines pasted into the name box are rows.
    connect(ui.txtUrl, &PasteBox::pasteRequested, this, [this](const QString& text) {
        if (!showPaste(m_paste.pasteRequest(text, readPage())))
            m_ui.txtUrl->paste(); // as text, as any box pastes it
    });
    connect(ui.txtUrl, &PasteBox::undoRequested, this, [this] { showPaste(m_paste.undo(readPage())); });
    connect(&m_paste, &RequestPaste::undoableChanged, ui.txtUrl, &PasteBox::setOwnerUndo);
    connect(ui.txtHeader, &PasteBox::pasteRequested, this, [this](const QString& text) {
        const auto rows = RequestPaste::headerRows(text);
        if (!rows) {
            m_ui.txtHeader->paste();
            return;
        }
        m_paste.forget(); // the page has changed since an import
        for (const request::Header& row : rows->first)
            headerlist::addHeaderRow(m_ui.lvHeaders, row.name, row.value);
        setDetail(rows->second);
    });
    // An import is undone only while nothing on the page has changed since.
    const auto changed = [this] { m_paste.forget(); };
    connect(ui.txtUrl, &LineBox::textEdited, this, changed);
    connect(ui.Text1, &LineBox::textEdited, this, changed);
    connect(ui.Option1Group, &QButtonGroup::idClicked, this, changed);
}

// Only the showing page's controls are shown, so the Tab key passes over the other pages.
void frmMain::showPage(int page)
{
    if (page != 0)
        createHiddenPages();
    for (int other = 0; other < int(m_pageControls.size()); ++other) {
        for (QWidget* control : m_pageControls[other])
            control->setVisible(other == page);
    }
}

template <typename Step> void frmMain::handle(Step&& step)
{
    handled(*m_services.errorReport, std::forward<Step>(step));
}

// The load step fills the two pages out of sight as they are built, before the user can see them.
void frmMain::Form_Load()
{
    // Appended one by one, none selected: the box shows nothing until the user picks a language.
    for (const QString& language : codegen::languageNames())
        m_ui.cboCode->addItem(language);
    m_ui.cboCode->setCurrentIndex(-1);
    m_ui.Label12->setText(u"Version: " % foundation::versionText());
}

void frmMain::Command6_Click()
{
    QCoreApplication::exit(0);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    QCoreApplication::exit(0);
}

void frmMain::SSTab1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPointF& globalPosition)
{
    // Any button, any modifiers, anywhere on the tab control: the whole window moves.
    Q_UNUSED(button)
    Q_UNUSED(shift)
    handle([&] { m_services.windowMover->startMove(this, globalPosition); });
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_ui.SSTab1 || watched == m_ui.SSTab1->tabBar())
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        SSTab1_MouseDown(mouse->button(), mouse->modifiers(), mouse->globalPosition());
    }

    if (watched == m_ui.txtHeaderValue && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1)
            txtHeaderValue_KeyPress(typed.at(0).unicode());
    }
    // The press goes on to the tab control, picking a tab still selects it; the key goes on to the box.
    return QWidget::eventFilter(watched, event);
}

void frmMain::openLink(const QUrl& target)
{
    m_services.urlOpener->open(target);
}

void frmMain::Label13_Click()
{
    openLink(aboutlinks::makerHomePage());
}

void frmMain::Label14_Click()
{
    openLink(aboutlinks::packageHomePage());
}

void frmMain::Label16_Click()
{
    openLink(aboutlinks::webServicesPage());
}

void frmMain::Label17_Click()
{
    openLink(aboutlinks::websiteDesignPage());
}

// The request described on "Test AJAX", written out in the named language; the empty text for any
// other name. URL and data go in trimmed, an empty URL as a placeholder.
QString frmMain::generateCode(const QString& languageName) const
{
    const auto language = codegen::languageNamed(languageName);
    if (!language)
        return {};
    request::Request request = request::asSent(readPage());
    if (request.url.isEmpty())
        request.url = u"(insert url here)"_s;
    return codegen::generate(*language, request);
}

// The request the "Test AJAX" page describes, every text as it stands.
request::Request frmMain::readPage() const
{
    return { m_ui.Option1[0]->isChecked() ? u"POST"_s : u"GET"_s, m_ui.txtUrl->text(),
        m_ui.Check1->checkState() == Qt::Checked, headerlist::headerRows(m_ui.lvHeaders), m_ui.Text1->text() };
}

void frmMain::writePage(const request::Request& page)
{
    m_ui.Option1[page.method == u"POST" ? 0 : 1]->setChecked(true);
    m_ui.txtUrl->setText(page.url);
    m_ui.Check1->setChecked(page.async);
    headerlist::setHeaderRows(m_ui.lvHeaders, page.headers);
    m_ui.Text1->setText(page.body);
}

// A paste or an undo of the page: what it is to be, and what the second panel says.
bool frmMain::showPaste(const std::optional<RequestPaste::Outcome>& outcome)
{
    if (!outcome)
        return false;
    if (outcome->page)
        writePage(*outcome->page);
    setDetail(outcome->said);
    return true;
}

void frmMain::Command5_Click()
{
    handle([this] { m_ui.txtGeneratedCode->setPlainText(generateCode(m_ui.cboCode->currentText())); });
}

void frmMain::Command4_Click()
{
    // The box keeps lines as paragraphs; its text has them separated by CR LF, as generated.
    handle([this] {
        m_services.clipboard->setText(m_ui.txtGeneratedCode->toPlainText().replace(QChar(u'\n'), u"\r\n"_s));
    });
}

void frmMain::setStatus(const QString& text)
{
    m_ui.StatusPanel1->setText(text);
}

void frmMain::setDetail(const QString& text, const QString& tooltip)
{
    m_ui.StatusPanel2->say(text, tooltip);
}

// "+": a row from the two entry boxes, as typed, and the boxes are ready for the next.
void frmMain::Command2_Click()
{
    m_paste.forget();
    handle([this] {
        headerlist::addHeaderRow(m_ui.lvHeaders, m_ui.txtHeader->text(), m_ui.txtHeaderValue->text());
        m_ui.txtHeader->clear();
        m_ui.txtHeaderValue->clear();
        m_ui.txtHeader->setFocus();
    });
}

// Every key that types a character in the value box; Enter adds the row.
void frmMain::txtHeaderValue_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Command2_Click();
}

// "C": all rows go.
void frmMain::Command3_Click()
{
    m_paste.forget();
    handle([this] { m_ui.lvHeaders->clear(); });
}

// Send: the request the page describes goes out, and the handler returns; its end comes back later.
void frmMain::Command1_Click()
{
    handle([this] { m_sender->press(request::asSent(readPage())); });
}

QMenu* frmMain::createResultMenu()
{
    return m_resultBox->createMenu();
}
