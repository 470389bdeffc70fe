#include "ui/ErrorReport.h"

#include "remote/SftpException.h"
#include "ui/Texts.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>

#include <windows.h>

namespace ErrorReport {

namespace {

const wchar_t* title(const Poco::Exception& failure, Caption caption)
{
    if (caption == Caption::plain)
        return L"Vornix";
    // Derived kinds come first: an FTP failure is also a network, an I/O
    // and a runtime failure.
    if (dynamic_cast<const Poco::Net::FTPException*>(&failure))
        return L"Vornix - FTP Error";
    if (dynamic_cast<const SftpException*>(&failure))
        return L"Vornix - SFTP Error";
    if (dynamic_cast<const Poco::TimeoutException*>(&failure))
        return L"Vornix - Timeout";
    if (dynamic_cast<const Poco::Net::NetException*>(&failure))
        return L"Vornix - Connection Error";
    // A server reply that breaks its bounds, not a local file's failure.
    if (dynamic_cast<const Poco::ProtocolException*>(&failure))
        return L"Vornix - FTP Error";
    if (dynamic_cast<const Poco::IOException*>(&failure))
        return L"Vornix - I/O Error";
    return L"Vornix - IRuntimeException Error";
}

// The failure's text and title as a box of its own would show them.
std::wstring describe(const std::exception_ptr& failure, const wchar_t*& caption)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Poco::Exception& e) {
        caption = title(e, Caption::byKind);
        return Texts::failure(e);
    } catch (...) {
        caption = L"Vornix - Unknown Error";
        return Texts::unknownError;
    }
}

void showUnknown(Caption caption)
{
    MessageBoxW(nullptr, Texts::unknownError, caption == Caption::plain ? L"Vornix" : L"Vornix - Unknown Error",
                MB_ICONERROR);
}

}

void show(const std::exception_ptr& failure, Caption caption)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Poco::RuntimeException& e) {
        MessageBoxW(nullptr, Texts::failure(e).c_str(), title(e, caption), MB_ICONERROR);
    } catch (const Poco::Exception& e) {
        // The upload counts POCO's logic errors among the unknown failures.
        if (caption == Caption::plain)
            MessageBoxW(nullptr, Texts::failure(e).c_str(), L"Vornix", MB_ICONERROR);
        else
            showUnknown(caption);
    } catch (...) {
        showUnknown(caption);
    }
}

std::wstring textOf(const std::exception_ptr& failure)
{
    const wchar_t* caption = nullptr;
    return describe(failure, caption);
}

void showFailedFiles(const std::vector<FailedFile>& files, size_t filesChosen)
{
    const wchar_t* caption = nullptr;
    std::wstring text = Texts::filesNotSent(files.size(), filesChosen);
    for (const FailedFile& file : files) {
        const wchar_t* kind = nullptr;
        text += L"\n" + file.path + L": " + describe(file.failure, kind);
        if (!caption)
            caption = kind;
    }
    MessageBoxW(nullptr, text.c_str(), caption ? caption : L"Vornix", MB_ICONERROR);
}

}
