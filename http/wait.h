#pragma once

#include <functional>

namespace http {

class HttpRequest;

// Waits, with the event loop running, until the request's state is 4. The loop sleeps until the
// request reports progress and reads the state only then; a state of 0 calls `uninitialized`.
// Returns false when the program is ending: the caller must then return at once.
bool waitUntilDone(HttpRequest& request, const std::function<void()>& uninitialized);

} // namespace http
