// Opening lists and results for the user, and the question about recovered edits.
#include "app/dwmain.h"

#include "framework/msgbox.h"
#include "wordauto/doc/doc_application.h"

#include <QPointer>

namespace app {

void DWMAIN::FNZOPEN() { engine_.FNZOPEN(); }
void DWMAIN::FNZOPENR() { engine_.FNZOPENR(); }
void DWMAIN::FNZOPENF() { engine_.FNZOPENF(); }

void DWMAIN::installRecoveryPrompt()
{
    // A list being filled when the program ended left its values in a recovery copy.
    QPointer<DWMAIN> owner(this);
    wordauto::DOC_Application::SetRecoveryPrompt([owner](const std::string& documentName) {
        const QString text = QStringLiteral("È stata trovata una copia di recupero di \"")
            + QString::fromStdString(documentName)
            + QStringLiteral("\" più recente del file. Riprendere i valori recuperati?");
        return vendrik::messageBox(owner, text, QString::fromLatin1(framework::kProgramTitle),
                                     vendrik::mb::YesNo | vendrik::mb::Question)
            == vendrik::answer::Yes;
    });
}

} // namespace app
