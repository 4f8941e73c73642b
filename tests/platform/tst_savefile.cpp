#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

// Writing a file whole or not at all. The test runs in a process of its own, so it may lower its own
// file size limit.
class TestSaveFile : public QObject {
    Q_OBJECT
private slots:
    void writeFailsWholly()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"saved"_s);
        const auto contents = [&path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)"_ba;
        };
        const QByteArray old = "as it was\0\xff"_ba;
        QCOMPARE(platform::writeWholeFile(path, old), QString());
        QCOMPARE(contents(), old);

        // Cut short by the size limit: the old file stays as it was, and nothing is left beside it.
#ifndef Q_OS_UNIX
        QSKIP("a file size limit that cuts a write short is POSIX's");
#else
        rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small { 100, limit.rlim_max };
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const QString failure = platform::writeWholeFile(path, QByteArray(200, 'x'));
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY2(failure.startsWith(u"only 100 of its 200 bytes could be written"), qPrintable(failure));
        QCOMPARE(contents(), old);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"saved"_s });
#endif
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
