// What the delete-all asks and tells the user, in message boxes captioned
// "Vornix".
#pragma once

#include <cstddef>
#include <string>

namespace DeleteAllSummary {

// The count with "plik" in its Polish form: "1 plik", "3 pliki", "5 plików",
// "12 plików", "22 pliki".
std::wstring fileCount(size_t count);

// Says how many files went and how many names were passed over because a
// line break in them cannot be sent safely; true when none went too.
std::wstring skippedText(size_t deleted, size_t skipped);

// Asks before anything is deleted; true for yes.
bool confirm();

// The closing box: all went, or how many names were passed over.
void showClosing(size_t deleted, size_t skipped);

}
