#include "wordauto/word_error.h"

#include <cerrno>

namespace wordauto {

void throwFileError(const std::string& cause, const std::string& path)
{
    throw WordError(cause + ": \"" + path + "\"");
}

std::string systemErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "Permesso negato";
    case ENOSPC:
    case EDQUOT:
        return "Spazio su disco esaurito";
    case EROFS:
        return "Il disco è di sola lettura";
    case ENOENT:
        return "Cartella inesistente";
    case ENOTDIR:
        return "Un elemento del percorso non è una cartella";
    case EISDIR:
        return "Il percorso indica una cartella";
    case ENAMETOOLONG:
        return "Nome di file troppo lungo";
    case ELOOP:
        return "Troppi collegamenti simbolici nel percorso";
    case EIO:
        return "Errore di lettura o scrittura sul disco";
    case EMFILE:
    case ENFILE:
        return "Troppi file aperti";
    case EFBIG:
        return "File troppo grande";
    case EBUSY:
    case ETXTBSY:
        return "Il file è in uso";
    case ENXIO:
    case ENODEV:
        return "Dispositivo non disponibile";
    case EXDEV:
        return "Il file si trova su un altro disco";
    case ENOMEM:
        return "Memoria insufficiente";
    case EINTR:
        return "Operazione interrotta";
    default:
        return "errore di sistema " + std::to_string(error);
    }
}

} // namespace wordauto
