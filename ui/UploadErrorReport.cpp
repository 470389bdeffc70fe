#include "ui/UploadErrorReport.h"

#include "remote/SftpException.h"
#include "plugin/TextConversion.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>

#include <windows.h>

namespace UploadErrorReport {

namespace {

// Replies from a UTF-8 server may carry names in UTF-8.
void showBox(const wchar_t* title, const Poco::Exception& failure)
{
    MessageBoxW(nullptr, TextConversion::readable(failure.displayText()).c_str(), title, MB_ICONERROR);
}

}

// Derived kinds come first: an FTP failure is also a network, an I/O and a
// runtime failure.
void show(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Poco::Net::FTPException& e) {
        showBox(L"Vornix - FTP Error", e);
    } catch (const SftpException& e) {
        showBox(L"Vornix - SFTP Error", e);
    } catch (const Poco::TimeoutException& e) {
        showBox(L"Vornix - Timeout", e);
    } catch (const Poco::Net::NetException& e) {
        showBox(L"Vornix - Connection Error", e);
    } catch (const Poco::ProtocolException& e) {
        // A server reply that breaks its bounds, not a local file's failure.
        showBox(L"Vornix - FTP Error", e);
    } catch (const Poco::IOException& e) {
        showBox(L"Vornix - I/O Error", e);
    } catch (const Poco::RuntimeException& e) {
        showBox(L"Vornix - IRuntimeException Error", e);
    } catch (...) {
        MessageBoxW(nullptr, L"Uknown error occured", L"Vornix - Unknown Error", MB_ICONERROR);
    }
}

}
