// Writes the pictures of the help file: the status faces exactly as the list tree draws them.
//   make_help_images FOLDER
#include "app/xtv1.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_help_images FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const char* names[] = {"faccia_bianca", "faccia_rossa", "faccia_gialla", "faccia_verde"};
    for (int state = 1; state <= 4; ++state) {
        const QString path = folder + "/" + names[state - 1] + ".png";
        if (!app::stateImage(state).pixmap(16, 16).toImage().save(path, "PNG")) {
            std::fprintf(stderr, "make_help_images: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
