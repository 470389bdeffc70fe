// Turns a member function of a host service into the HostHandler registered
// under its name; the service object travels as the handler's user pointer.
#pragma once

#include "plugin/HostInterface.h"

template <typename Service, INT_PTR (Service::*method)(WPARAM, LPARAM)>
INT_PTR __cdecl serviceThunk(WPARAM wParam, LPARAM lParam, void* service)
{
    return (static_cast<Service*>(service)->*method)(wParam, lParam);
}
