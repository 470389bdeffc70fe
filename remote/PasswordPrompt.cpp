#include "remote/PasswordPrompt.h"

#include <Poco/String.h>

namespace PasswordPrompt {

namespace {

// Compared with the prompt in lower case (ASCII letters lowered only, so the
// words of other scripts are given as PAM writes them).
const char* const passwordWords[] = {
    "password", "passwort", "kennwort", "passord", "passwd", "hasło", "heslo", "geslo", "lozinka", "jelszó",
    "salasana", "lösenord", "adgangskode", "wachtwoord", "mot de passe", "contraseña", "senha", "parola",
    "parool", "parole", "slaptažodis", "şifre", "sifre", "пароль", "Пароль", "κωδικός", "密码", "密碼",
    "パスワード", "암호", "비밀번호",
};

const char* const otherWords[] = {
    "new", "nowe", "neue", "nouveau", "nuevo", "nova", "novo", "нов", "Нов", "retype", "again", "ponownie",
    "current", "old", "obecne", "stare", "aktuell", "code", "kod", "otp", "token", "verification", "weryfik",
};

template <size_t count>
bool holdsAny(const std::string& text, const char* const (&words)[count])
{
    for (const char* word : words) {
        if (text.find(word) != std::string::npos)
            return true;
    }
    return false;
}

}

bool asksForPassword(const std::string& prompt)
{
    std::string lower = Poco::toLower(prompt);
    return holdsAny(lower, passwordWords) && !holdsAny(lower, otherWords);
}

}
