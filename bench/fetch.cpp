// Fetches one URL through the program's request object, synchronously, and prints the length of the
// response text: the client side of the download benchmark.
#include "failure.h"
#include "httprequest.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    try {
        http::HttpRequest request;
        request.open(u"GET"_s, application.arguments().value(1), false);
        request.send(QString());
        std::printf("%lld\n", static_cast<long long>(request.responseText().size()));
    } catch (const foundation::Failure& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.message()));
        return 1;
    }
    return 0;
}
