#include "jobs/UploadErrorReport.h"

#include <Poco/Exception.h>
#include <Poco/Net/NetException.h>

#include <windows.h>

namespace UploadErrorReport {

namespace {

void showBox(const char* title, const Poco::Exception& failure)
{
    MessageBoxA(nullptr, failure.displayText().c_str(), title, MB_ICONERROR);
}

}

// Derived kinds come first: an FTP failure is also a network, an I/O and a
// runtime failure.
void show(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Poco::Net::FTPException& e) {
        showBox("Vornix - FTP Error", e);
    } catch (const Poco::TimeoutException& e) {
        showBox("Vornix - Timeout", e);
    } catch (const Poco::Net::NetException& e) {
        showBox("Vornix - Connection Error", e);
    } catch (const Poco::ProtocolException& e) {
        // A server reply that breaks its bounds, not a local file's failure.
        showBox("Vornix - FTP Error", e);
    } catch (const Poco::IOException& e) {
        showBox("Vornix - I/O Error", e);
    } catch (const Poco::RuntimeException& e) {
        showBox("Vornix - IRuntimeException Error", e);
    } catch (...) {
        MessageBoxW(nullptr, L"Uknown error occured", L"Vornix - Unknown Error", MB_ICONERROR);
    }
}

}
