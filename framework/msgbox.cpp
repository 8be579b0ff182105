#include "framework/msgbox.h"

namespace framework {

void errorBox(const QString& text)
{
    vendrik::messageBox(nullptr, text, QString::fromLatin1(kProgramTitle), vendrik::mb::Stop | vendrik::mb::Ok);
}

void infoBox(const QString& text)
{
    vendrik::messageBox(nullptr, text, QString::fromLatin1(vendrik::kInfoCaption), vendrik::mb::Information | vendrik::mb::Ok);
}

} // namespace framework
