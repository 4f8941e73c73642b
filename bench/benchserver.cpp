// A loopback HTTP server for the benchmarks, in a process of its own so that it takes no time from the
// client being measured. Prints its port, then answers:
//   /bulk/N  N bytes of text, with a Content-Length
//   /late/MS "late", after MS milliseconds
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

namespace {

void serveBulk(QTcpSocket* socket, qint64 size)
{
    static const QByteArray block(1024 * 1024, 'a');
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(size) + "\r\n\r\n");
    auto left = std::make_shared<qint64>(size);
    auto more = [socket, left] {
        while (*left > 0 && socket->bytesToWrite() < 4 * block.size()) {
            const qint64 n = qMin<qint64>(*left, block.size());
            socket->write(block.constData(), n);
            *left -= n;
        }
        if (*left == 0 && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

}

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 1;
    QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                const QByteArray head = socket->readAll();
                const QList<QByteArray> target = head.split(' ').value(1).split('/');
                if (target.value(1) == "bulk") {
                    serveBulk(socket, target.value(2).toLongLong());
                } else {
                    QTimer::singleShot(target.value(2).toInt(), socket, [socket] {
                        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\nlate");
                        socket->disconnectFromHost();
                    });
                }
            });
        }
    });
    std::printf("%u\n", unsigned(server.serverPort()));
    std::fflush(stdout);
    return application.exec();
}
