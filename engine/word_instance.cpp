#include "engine/engine.h"

namespace engine {

using wordauto::DOC_Application;

DOC_Application& Engine::obtainWord(bool* created)
{
    const bool fresh = !DOC_Application::WindowExists() || !oWord;
    if (fresh)
        oWord.emplace(); // an earlier one is replaced without being quit
    if (created)
        *created = fresh;
    return *oWord;
}

void Engine::FNZCLOSEALL()
{
    if (DOC_Application::WindowExists() && oWord) {
        oWord->Quit();
        oWord.reset();
    }
    lDocsOpen = false;
}

bool Engine::quitWordOnClose()
{
    if (!DOC_Application::WindowExists() || !oWord)
        return true;
    try {
        oWord->Quit();
    } catch (...) {
        // Errors are ignored here; but Word runs inside this program, so a document the user
        // chose to keep editing must keep the program open.
        if (oWord->IsRunning())
            return false;
    }
    oWord.reset();
    return true;
}

} // namespace engine
