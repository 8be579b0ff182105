#pragma once

#include "engine/frame_port.h"
#include "engine/print_run_seams.h"
#include "engine/program_state.h"
#include "wordauto/doc/doc_application.h"

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

// The dossier engine: the main window's commands (FNZ...) and steps (MTD...), working on the
// shared state and showing everything through the frame port.
class Engine {
public:
    Engine(ProgramState& state, FramePort& frame) : state_(state), frame_(frame) {}

    // The one Word instance the program drives, or none.
    std::optional<wordauto::DOC_Application> oWord;
    bool lIndexLoaded = false;
    bool lDocsOpen = false;
    bool lHelp = false;

    // Word instance.
    // The obtain rule: a new instance when no Word window exists or none is held, else the
    // held one. `created` tells which.
    wordauto::DOC_Application& obtainWord(bool* created = nullptr);
    void FNZCLOSEALL();
    // When the main window closes: quits the held Word, ignoring its errors. False when the
    // user cancelled saving a document that is still being edited, so nothing is lost.
    bool quitWordOnClose();

    // List index and built-in catalogue.
    bool MTDLOAD1();
    void MTDLOAD0();

    // Dossier load, header and notes.
    void FNZLOAD();
    void MTDLOAD2();
    void MTDLOAD3();

    // Status faces and detail rows from the result documents.
    void MTDSTATUS1(bool lInteractive);
    void MTDSTATUS2(bool lInteractive);
    void MTDRESET1();
    void MTDRESET2();

    // Field-name check and the parsers of the six list kinds, on Word's active document.
    // The report run.
    void FNZPARSE();

    // Adding and removing lists through the picker, then the tree and the dossier's lists.
    void FNZLISTADD();
    void FNZLISTDEL();

    // The merged dossier document: every list, each section after its separator, in one
    // document saved as "_Fascicolo.doc" and left open in Word.
    void FNZLISTWRD();
    // Prints the documents the user picks, their page numbers running on from one to the next.
    void FNZLISTPRN();
    PrintRunSeams printRunSeams; // tests only

    // Opening a list, the report or the merged dossier document for the user, in a visible
    // Word; a copy already open there is brought to the front instead.
    void FNZOPEN();
    void FNZOPENR();
    void FNZOPENF();

    bool MTD_CHECK(const std::string& kind, const std::string& number);
    void MTD_PARSEA1(const std::string& number);
    void MTD_PARSEB1(const std::string& number);
    void MTD_PARSEC1(const std::string& number);
    void MTD_PARSED1(const std::string& number);
    void MTD_PARSEE1(const std::string& number);
    void MTD_PARSEE2(const std::string& number);

    ProgramState& state() { return state_; }
    FramePort& frame() { return frame_; }

private:
    // The dossier load's steps between emptying the tree and expanding it.
    void loadDossierTree();
    // The report run's last phase: both result documents filled and saved, the tree refreshed.
    void writeResults(ProgressWindow& progress);
    // The document of the list selected in the tree: its file name (number and ".DOC") and its
    // path in the dossier folder. Nothing, after the message, when no list is selected
    // ("Selezionare una lista") or its document is missing ("La lista <number> non esiste" +
    // missingTail).
    struct ListDocument {
        std::string file;
        std::string path;
    };
    std::optional<ListDocument> selectedListDocument(const std::string& missingTail);
    // The opening commands' common end, once the document was found in the dossier folder.
    void openForUser(const std::string& path, const std::string& file, bool readOnly);

    ProgramState& state_;
    FramePort& frame_;
};

// Drops trailing characters of codes 0 to 31 (the end-of-cell mark of a cell's text).
std::string NOCONTROL(std::string cText);
// A cell's text as the engine reads it: blanks removed at both ends, then NOCONTROL.
std::string cleanCell(const std::string& text);
// A text that holds nothing but blanks.
bool isBlank(const std::string& text);

// Two file names that differ at most in the case of their letters, as Word tells documents.
bool sameFileName(const std::string& a, const std::string& b);

// A file's path in a folder whatever the case of its letters, or the path it would have.
std::string pathIn(const std::string& folder, const std::string& name);

// Activates the first of Word's open documents named `file` (case aside); false when none is.
bool activateOpenCopy(wordauto::DOC_Application& word, const std::string& file);

// The number without its points: "1.01.01" gives "10101".
std::string withoutPoints(const std::string& number);
// The tree item name of a list: "L" and the number without its points.
std::string listItemName(const std::string& number);
// The number in the leading decimal digits of a text (0 when there are none), as a 16-bit
// value, as the status cells were always read.
std::uint16_t leadingNumber(const std::string& text);

// Whole-number percentage of item i of n, rounded down, without overflow.
int percentDown(std::uint64_t i, std::uint64_t n);
// Whole-number percentage of item i of n, rounded up, without overflow.
int percentUp(std::uint64_t i, std::uint64_t n);
// Moves the bar forward only.
void advanceBar(ProgressWindow& progress, int percent);

} // namespace engine
