#pragma once

#include "platform/errorreport.h"
#include "platform/failure.h"

#include <exception>
#include <new>

// Runs one step of a handler: a step that fails ends there, and its failure goes to the error report;
// the program goes on.
template <typename Step> void handled(platform::ErrorReport& report, Step&& step)
{
    try {
        step();
    } catch (const platform::Failure& failure) {
        report.report(failure.message());
    } catch (const std::bad_alloc&) {
        report.report(QStringLiteral("There is not enough memory to finish this step."));
    } catch (const std::exception& failure) {
        report.report(QString::fromLocal8Bit(failure.what()));
    }
}
