#pragma once

#include <QByteArrayView>
#include <QString>

class QWidget;

namespace platform {

// Asks the user where to save a file.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // The path chosen, or an empty string when the user cancelled.
    virtual QString choose(QWidget* parent, const QString& suggestedName) = 0;
};

class SystemSaveDialog final : public SaveDialog {
public:
    QString choose(QWidget* parent, const QString& suggestedName) override;
};

// Makes the bytes the whole of the file at path. They are written to a temporary file beside it, which
// replaces the file only once all of them are on disk: a write that fails leaves the old file as it
// was and nothing else behind. Returns why it failed; empty when it did not.
QString writeWholeFile(const QString& path, QByteArrayView bytes);

} // namespace platform
