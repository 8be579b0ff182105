// Prints documents through Vendrik's PrintOut into a folder as PDFs and reports each one's page
// count: the Vendrik side of scripts/compare_with_libreoffice.sh.
//
//   print_documents <pdf folder> <document>...
//
// Prints one line per document: the page count, a tab, the path.

#include "wordauto/word.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <pdf folder> <document>...\n", argv[0]);
        return 2;
    }
    wordauto::DOC_Application::SetPrintDestination(argv[1]);
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        try {
            wordauto::DOC_Application app;
            auto doc = app.Documents().Open(argv[i], false, true);
            const long pages = doc.BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value();
            app.PrintOut(false);
            app.Quit(wordauto::wdDoNotSaveChanges);
            std::printf("%ld\t%s\n", pages, argv[i]);
        } catch (const wordauto::WordError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
