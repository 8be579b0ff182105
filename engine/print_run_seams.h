#pragma once

// What a test puts into the print run: its own clock for the pause after each document, and a
// look at each printed document just before the run closes it unsaved. Left empty, the run
// sleeps for real and looks at nothing.
#include "wordauto/word.h"

#include <chrono>
#include <functional>

namespace engine {

struct PrintRunSeams {
    std::function<void(std::chrono::milliseconds)> sleepFor;
    std::function<void(wordauto::DOC_Document&)> beforePrintedClose;
};

} // namespace engine
