#pragma once

#include "errorreport.h"
#include "failure.h"

#include <exception>
#include <new>

// Runs one step of a handler: a step that fails ends there, and its failure goes to the error report;
// the program goes on.
template <typename Step> void handled(platform::ErrorReport& report, Step&& step)
{
    using namespace Qt::StringLiterals;
    try {
        step();
    } catch (const foundation::Failure& failure) {
        report.report(failure.message());
    } catch (const std::bad_alloc&) {
        report.report(u"There is not enough memory to finish this step."_s);
    } catch (const std::exception& failure) {
        report.report(QString::fromLocal8Bit(failure.what()));
    }
}
