#include "ui/DeleteAllSummary.h"

#include "ui/HostWindow.h"
#include "ui/Texts.h"

#include <windows.h>

namespace DeleteAllSummary {

std::wstring fileCount(size_t count)
{
    const wchar_t* noun = L"plików";
    if (count == 1)
        noun = L"plik";
    else if (count % 10 >= 2 && count % 10 <= 4 && (count % 100 < 12 || count % 100 > 14))
        noun = L"pliki";
    return std::to_wstring(count) + L" " + noun;
}

std::wstring skippedText(size_t deleted, size_t skipped)
{
    std::wstring text = deleted == 0 ? L"Nie usunięto żadnego pliku. Pominięto "
                                     : L"Usunięto " + fileCount(deleted) + L", ale pominięto ";
    text += fileCount(skipped);
    text += skipped == 1 ? L" o nazwie ze znakiem nowego wiersza, której"
                         : L" o nazwach ze znakiem nowego wiersza, których";
    return text + L" nie można bezpiecznie przesłać do serwera FTP.";
}

bool confirm()
{
    return MessageBoxW(HostWindow::find(), Texts::deleteAllQuestion, L"Vornix", MB_YESNO) == IDYES;
}

void showClosing(size_t deleted, size_t skipped)
{
    if (skipped == 0)
        MessageBoxW(nullptr, Texts::deleteAllDone, L"Vornix", MB_ICONINFORMATION);
    else
        MessageBoxW(nullptr, skippedText(deleted, skipped).c_str(), L"Vornix", MB_ICONWARNING);
}

}
