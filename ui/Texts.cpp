#include "ui/Texts.h"

#include "plugin/TextConversion.h"
#include "remote/Problem.h"

namespace Texts {

const wchar_t* const sendMenuItem = L"Wyślij plik na FTP...";
const wchar_t* const deleteAllMenuItem = L"Usuń wszystkie pliki na serwerze FTP";
const wchar_t* const sentFilesMenuItem = L"Wysłane pliki na FTP...";
const wchar_t* const optionsPageCaption = L"FTP";

const wchar_t* const deleteAllQuestion =
    L"Czy na pewno usunąć WSZYSTKIE pliki znajdujące się w katalogu roboczyn na serwerze FTP?";
const wchar_t* const deleteAllDone = L"Wszystkie pliki usunięto pomyślnie";
const wchar_t* const uploadDone = L"Zakończono";
const wchar_t* const pathTooLong = L"Nie można wysłać pliku: jego ścieżka jest dłuższa niż 32767 znaków.";
const wchar_t* const unknownError = L"Uknown error occured";
const wchar_t* const choiceTooLong =
    L"Wybrano naraz zbyt wiele plików (ich nazwy są dłuższe niż 262143 znaki). Wybierz mniej plików.";
const wchar_t* const clipboardUnavailable =
    L"Nie można skopiować linku do schowka: schowek jest zajęty przez inny program. Link jest w oknie rozmowy.";
const wchar_t* const passwordNotProtected =
    L"Nie można zabezpieczyć hasła (funkcja Windows CryptProtectData zawiodła), więc go nie zapisano: hasło "
    L"nigdy nie trafia do ustawień jawnym tekstem. Pozostałe ustawienia zapisano.";
const wchar_t* const linkNotWeb =
    L"Ten link nie jest adresem WWW (http:// lub https://), więc nie zostanie otwarty. Sprawdź link w opcjach "
    L"wtyczki (FTP).";

namespace {

const wchar_t* problemText(int code)
{
    switch (code) {
    case Problem::passwordUnreadable:
        return L"Nie można odczytać zapisanego hasła: zapisano je na innym koncie Windows lub innym komputerze. "
               L"Wpisz hasło ponownie w opcjach wtyczki (FTP).";
    case Problem::serverMissing:
        return L"Uzupełnij adres serwera FTP w konfiguracji";
    case Problem::serverAddressInvalid:
        return L"Niepoprawny adres serwera FTP w konfiguracji";
    case Problem::settingsLineBreak:
        return L"Ustawienia serwera FTP nie mogą zawierać znaków nowego wiersza";
    case Problem::tlsNoLongerOffered:
        return L"Serwer nie oferuje już szyfrowania (AUTH TLS), choć wcześniej je oferował, więc nic nie wysłano. "
               L"Jeśli tak ma być, wybierz w opcjach „Nie szyfruj”";
    case Problem::tlsRefused:
        return L"Serwer nie zgodził się na szyfrowanie (AUTH TLS)";
    case Problem::implicitTlsFailed:
        return L"Serwer nie rozpoczął szyfrowania od razu po połączeniu (szyfrowanie niejawne). Może na tym porcie "
               L"działa zwykłe FTP: wybierz w opcjach inne szyfrowanie albo port 990";
    case Problem::dataTlsRefused:
        return L"Serwer nie zgodził się na szyfrowanie połączeń danych";
    case Problem::listingTooLong:
        return L"Lista plików na serwerze jest dłuższa niż 32 MB albo milion nazw";
    case Problem::directoryNotEncodable:
        return L"Katalog na serwerze zawiera znaki spoza strony kodowej systemu, a serwer FTP nie obsługuje UTF-8";
    case Problem::certificateRefused:
        return L"Certyfikat serwera odrzucony, nic nie wysłano";
    case Problem::hostKeyRefused:
        return L"Klucz hosta serwera odrzucony, nic nie wysłano";
    case Problem::loginPromptUnexpected:
        return L"Serwer SFTP prosi przy logowaniu o coś innego niż hasło (na przykład o kod jednorazowy albo nowe "
               L"hasło), czego wtyczka nie umie podać. Zaloguj się raz programem ssh albo użyj klucza prywatnego. "
               L"Serwer pyta";
    case Problem::linkCertificateUntrusted:
        return L"Przeglądarka kontaktu nie zaufa certyfikatowi serwera WWW";
    case Problem::linkNotWeb:
        return L"Link nie jest adresem http:// ani https://";
    case Problem::linkLeavesHttps:
        return L"Serwer WWW przekierowuje link https:// na niezaszyfrowany adres http://, którego wtyczka nie "
               L"sprawdza";
    case Problem::sentRecordUnsafe:
        return L"Zapis na liście wysłanych plików ma w nazwie pliku lub katalogu niedozwolone znaki (koniec "
               L"wiersza, „/” lub „\\”), więc niczego nie usunięto";
    case Problem::keyFileUnreadable:
        return L"Nie można odczytać pliku klucza prywatnego";
    case Problem::keyFilePutty:
        return L"Plik klucza jest w formacie PuTTY (.ppk), którego wtyczka nie czyta. Działają klucze w formacie "
               L"OpenSSH (ed25519, ECDSA, RSA). W PuTTYgen wczytaj klucz, wybierz z menu „Conversions” polecenie "
               L"„Export OpenSSH key”, a w opcjach wskaż zapisany plik.";
    case Problem::keyFileNotOpenSsh:
        return L"Plik klucza nie jest kluczem prywatnym w formacie OpenSSH. Działają klucze ed25519, ECDSA i RSA "
               L"w formacie OpenSSH (jak z ssh-keygen); klucz PuTTY zapisz w nim w PuTTYgen poleceniem "
               L"„Export OpenSSH key” z menu „Conversions”.";
    case Problem::keyPassphraseWrong:
        return L"Nie można użyć klucza prywatnego: hasło klucza (pole „Hasło”) jest złe albo plik jest uszkodzony";
    case Problem::storedSizeDiffers:
        return L"Serwer przechowuje plik o innym rozmiarze niż wysłany, więc go usunięto i nie wysłano linku";
    case Problem::storedFileNotOwn:
        return L"Serwer przechowuje pod tą nazwą plik większy niż wysłany, więc jest to inny plik: zostawiono go "
               L"i nie wysłano linku";
    case Problem::noUnusedName:
        return L"Serwer ma już pliki pod każdą próbowaną nazwą, także takie, których nie pokazuje na liście, więc "
               L"niczego nie nadpisano i nie wysłano linku. Ostatnia próbowana nazwa";
    case Problem::fileNameLineBreak:
        return L"Nazwa pliku zawiera znak nowego wiersza";
    case Problem::fileNameNotEncodable:
        return L"Nazwa pliku zawiera znaki spoza strony kodowej systemu, a serwer FTP nie obsługuje UTF-8";
    case Problem::fileUnopened:
        return L"Nie można otworzyć tego pliku";
    case Problem::fileUnreadToEnd:
        return L"Nie można odczytać pliku do końca";
    default:
        return nullptr;
    }
}

}

std::wstring failure(const Poco::Exception& failure)
{
    const wchar_t* problem = problemText(failure.code());
    if (!problem)
        return TextConversion::readable(failure.displayText());
    std::wstring text = TextConversion::readable(failure.name()) + L": " + problem;
    if (!failure.message().empty())
        text += L": " + TextConversion::readable(failure.message());
    return text;
}

std::wstring sentFileUnconfirmedQuestion(const std::wstring& name)
{
    return L"Serwer nie podaje rozmiaru lub czasu pliku " + name +
           L", więc nie można sprawdzić, czy to ten sam plik, który wysłano.\nCzy mimo to usunąć go z serwera?";
}

std::wstring filesNotSent(size_t failed, size_t chosen)
{
    return L"Nie wysłano " + std::to_wstring(failed) + L" z " + std::to_wstring(chosen) + L" plików:";
}

}
