// The check of the settings, step by step, and the one box that ends it:
// each step's result and, for a failed one, its likeliest cause.
#pragma once

#include <exception>
#include <string>

namespace CheckReport {

enum Step { connect, logIn, enterDirectory, storeProbe, fetchLink, removeProbe, stepCount };

struct Outcome {
    bool reached = false;
    bool ok = false;
    std::exception_ptr failure;  // when it threw
};

struct Report {
    Outcome steps[stepCount];
    std::wstring probeName;
    std::wstring link;         // the probe's link, as a contact would get it; empty without a web address
    int webStatus = 0;         // the web server's answer, when it answered
    std::string webReason;
    bool contentDiffers = false;
};

std::wstring text(const Report& report);

// Waits until the user dismisses the box.
void show(const Report& report);

}
