// The texts the user sees in messages and menus, in one place. The options
// page's labels sit in its control table and the progress window's in its
// template; texts built from counts and facts have their own units
// (ProgressText, DeleteAllSummary, TrustQuestions).
#pragma once

#include <Poco/Exception.h>

#include <cstddef>
#include <string>

namespace Texts {

extern const wchar_t* const sendMenuItem;
extern const wchar_t* const deleteAllMenuItem;
extern const wchar_t* const sentFilesMenuItem;
extern const wchar_t* const linkNotWeb;
extern const wchar_t* const optionsPageCaption;

extern const wchar_t* const deleteAllQuestion;
extern const wchar_t* const deleteAllDone;
extern const wchar_t* const uploadDone;  // the progress window's last "time left"
extern const wchar_t* const pathTooLong;
extern const wchar_t* const choiceTooLong;
extern const wchar_t* const clipboardUnavailable;
extern const wchar_t* const passwordNotProtected;
extern const wchar_t* const unknownError;

// The failure as the user reads it: the kind's name, then the problem worded
// (when the code is one of Problem's) and the message, each after ": ".
// Replies from a UTF-8 server may carry names in UTF-8.
std::wstring failure(const Poco::Exception& failure);

// The question before "Usuń z serwera" removes a file that the server
// cannot confirm to be the one sent.
std::wstring sentFileUnconfirmedQuestion(const std::wstring& name);

// The first line of the box that names the files of a send of several
// (`chosen` is 2 or more) not sent: "Nie wysłano 2 z 5 plików:".
std::wstring filesNotSent(size_t failed, size_t chosen);

}
