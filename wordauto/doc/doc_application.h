#pragma once

#include "wordauto/doc/doc_documents.h"
#include "wordauto/doc/doc_selection.h"

#include <functional>
#include <memory>
#include <string>

namespace wordauto {

enum class SaveAnswer { Yes, No, Cancel };

// Word's values for Close and Quit.
inline constexpr int wdSaveChanges = -1;
inline constexpr int wdDoNotSaveChanges = 0;
inline constexpr int wdPromptToSaveChanges = -2;

// A Word instance, in process. Each construction starts a new instance; copies of the object
// are handles to the same instance.
class DOC_Application {
public:
    DOC_Application();

    DOC_Documents Documents() const;
    // The document last opened, added or activated; WordError when none is open.
    DOC_Document ActiveDocument() const;
    DOC_Selection Selection() const;
    bool Visible() const;
    void Visible(bool visible);
    // Ends the instance. Without an argument the user is asked about each changed document;
    // a "Annulla" answer stops the quit and raises WordError.
    void Quit(int saveChanges = wdPromptToSaveChanges);
    bool IsRunning() const;
    // Prints the active document and returns when the output is complete (a background
    // print completes before the call returns too). Without a print destination it goes to
    // the system's default printer; WordError when there is none.
    void PrintOut(bool background = false);
    // A folder where every later PrintOut of any instance writes "<document>.pdf" in place of
    // the printer; empty: the printer again.
    static void SetPrintDestination(const std::string& folder);

    // True while any instance runs, hidden ones included: the stand-in for the test for
    // Word's main window, which cannot tell instances apart either.
    static bool WindowExists();

    // How the user is asked whether to save a changed document on Close() and Quit(); the
    // frame installs a message box, tests a script. Without one, closing is cancelled.
    using SavePrompt = std::function<SaveAnswer(const std::string& documentName)>;
    static void SetSavePrompt(SavePrompt prompt);
    // Where a document never saved goes when the user answered Sì: asked with the path proposed
    // for it, answered with the chosen path or an empty one for Annulla. The frame installs a
    // file dialog, tests a script. Without one, the save is cancelled.
    using SaveAsPrompt = std::function<std::string(const std::string& proposedPath)>;
    static void SetSaveAsPrompt(SaveAsPrompt prompt);
    // Whether to take the values of a recovery copy, newer than the file, found when a
    // document is opened for editing (true: take them). Without one, the copy is kept.
    using RecoveryPrompt = std::function<bool(const std::string& documentName)>;
    static void SetRecoveryPrompt(RecoveryPrompt prompt);

    bool operator==(const DOC_Application& other) const { return state_ == other.state_; }

private:
    std::shared_ptr<detail::ApplicationState> state_;
};

} // namespace wordauto
