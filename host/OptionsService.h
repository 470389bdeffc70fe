// "WTW/AddOptionsPage" and "WTW/RemoveOptionsPage": the pages that the options
// window offers.
#pragma once

#include "plugin/HostInterface.h"

#include <string>
#include <vector>

class FunctionRegistry;

class OptionsService {
public:
    struct Page {
        std::wstring id;
        std::wstring group;
        std::wstring caption;
        HostHandler handler;
        void* userData;
        HMODULE module;
    };

    explicit OptionsService(FunctionRegistry& registry);
    ~OptionsService();
    OptionsService(const OptionsService&) = delete;
    OptionsService& operator=(const OptionsService&) = delete;

    std::vector<Page> pages();

private:
    // wParam the plug-in's module, lParam OptionsPageInfo*.
    INT_PTR add(WPARAM wParam, LPARAM lParam);
    // lParam the page's id.
    INT_PTR remove(WPARAM wParam, LPARAM lParam);

    CRITICAL_SECTION lock;
    std::vector<Page> list;
};
