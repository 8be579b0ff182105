#include "framework/msgbox.h"

namespace framework {

void errorBox(const QString& text)
{
    messageBox(nullptr, text, QString::fromLatin1(kProgramTitle), mb::Stop | mb::Ok);
}

void infoBox(const QString& text)
{
    messageBox(nullptr, text, QString::fromLatin1(kInfoCaption), mb::Information | mb::Ok);
}

} // namespace framework
