#pragma once

#include "httprequest.h"

#include <QString>

#include <chrono>

// How a response is described around the result box.
namespace responsedetails {

// "512 B", "12.4 kB", "3.1 MB": decimal units, one decimal place from a kilobyte on.
QString byteSize(qint64 bytes);
// A request body's size in a sentence: "no data", "1 byte of data", "512 bytes of data", "12.4 kB of data".
QString dataSize(qint64 bytes);
// "35 ms", "1.24 s".
QString duration(std::chrono::nanoseconds elapsed);
// The status bar's line for it: "200 OK · 12.4 kB · 35 ms".
QString summary(const http::Response& response);
// The status line and the header lines as received, CR LF between them.
QString headerBlock(const http::Response& response);
// Where its time went, phase by phase, then the protocol and the address it came from, then the
// redirects followed and the time they took in all, if any:
//   DNS 0.4 ms · connect 0.1 ms · TLS 12 ms · waiting 35 ms · download 2 ms
//   HTTP/1.1 · 93.184.216.34:443
//   1 redirect followed · 61 ms in all
QString timeLine(const http::Response& response);
// The summary's tooltip: the time line, then the status line and the headers, a line each, and a word on
// the charset where it was not known.
QString tooltip(const http::Response& response);
// A file name for saving the body: the last segment of its URL's path, or "response".
QString suggestedFileName(const http::Response& response);

} // namespace responsedetails
