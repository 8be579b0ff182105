// Start-up: the main window is made, shown and run until it closes.
#include "app/dwmain.h"
#include "framework/error_handler.h"

int main(int argc, char** argv)
{
    framework::GuardedApplication app(argc, argv);
    engine::ProgramState state;
    app::DWMAIN window(state);
    window.show();
    window.runCommand(QStringLiteral("MTDINIT"), [&] { window.MTDINIT(); });
    return app.exec();
}
