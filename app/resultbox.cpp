#include "resultbox.h"

#include "handled.h"
#include "jsonformat.h"
#include "responsedetails.h"
#include "services.h"
#include "textview.h"

#include <QMenu>

using namespace Qt::StringLiterals;

ResultBox::ResultBox(TextView* box, platform::Services& services, QWidget* window)
    : QObject(window)
    , m_box(box)
    , m_services(services)
    , m_window(window)
{
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        QMenu* menu = createMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_box->viewport()->mapToGlobal(position));
    });
}

void ResultBox::show(Result result)
{
    m_result = std::move(result);
    m_box->setText(m_result.text);
    if (m_result.response)
        emit said(responsedetails::summary(*m_result.response), responsedetails::tooltip(*m_result.response));
}

QMenu* ResultBox::createMenu()
{
    QMenu* menu = m_box->createContextMenu(m_window);
    if (!m_result.response)
        return menu;
    menu->addSeparator();
    const auto add = [menu](const QString& text, const char* name) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1StringView(name));
        return action;
    };
    connect(
        add(tr("Response Headers"), "response-headers"), &QAction::triggered, this, &ResultBox::copyResponseHeaders);
    // Checked once, in one pass, the first time the menu is opened for this response.
    if (!m_result.json)
        m_result.json = jsonformat::isJson(m_result.text);
    if (*m_result.json) {
        QAction* format = add(tr("Format JSON"), "format-json");
        format->setCheckable(true);
        format->setChecked(m_result.formatted);
        connect(format, &QAction::toggled, this, &ResultBox::toggleJson);
    }
    connect(add(tr("Save Response…"), "save-response"), &QAction::triggered, this, &ResultBox::saveResponse);
    return menu;
}

void ResultBox::copyResponseHeaders()
{
    if (m_result.response)
        m_services.clipboard->setText(responsedetails::headerBlock(*m_result.response));
}

// The box shows the text indented, or as it came; what is selected and copied is what it shows.
void ResultBox::toggleJson(bool formatted)
{
    if (formatted == m_result.formatted)
        return;
    if (!formatted) {
        m_box->setText(m_result.text);
        m_result.formatted = false;
        return;
    }
    handled(*m_services.errorReport, [&] {
        const std::optional<QString> indented = jsonformat::format(m_result.text);
        if (!indented) {
            emit said(u"Not formatted: indented, this JSON would be longer than 256 M characters"_s);
            return;
        }
        m_box->setText(*indented);
        m_result.formatted = true;
    });
}

// The body's bytes as they came, whatever their charset, NUL bytes and all.
void ResultBox::saveResponse()
{
    if (!m_result.response)
        return;
    // A copy: a Send may end while the dialog is open and show another response.
    const http::Response response = *m_result.response;
    const QString path = m_services.saveDialog->choose(m_window, responsedetails::suggestedFileName(response));
    if (path.isEmpty())
        return;
    const QString failure = platform::writeWholeFile(path, response.body);
    if (!failure.isEmpty())
        m_services.errorReport->report(u"The response was not saved to " % path % u": " % failure);
}
