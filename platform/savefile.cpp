#include "savefile.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace platform {

QString SystemSaveDialog::choose(QWidget* parent, const QString& suggestedName)
{
    return QFileDialog::getSaveFileName(parent, QFileDialog::tr("Save As"), QDir::home().filePath(suggestedName));
}

QString writeWholeFile(const QString& path, QByteArrayView bytes)
{
    // Unbuffered, so that a write cut short (a full disk, a size limit) shows in what write returns:
    // QSaveFile would otherwise commit a file cut short at its flush.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const qint64 written = file.write(bytes.data(), bytes.size());
    if (written != bytes.size()) {
        const QString reason = qt_error_string(errno);
        return u"only %1 of its %2 bytes could be written (%3)"_s.arg(qMax<qint64>(written, 0))
            .arg(bytes.size())
            .arg(reason); // the temporary file goes with `file`
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace platform
