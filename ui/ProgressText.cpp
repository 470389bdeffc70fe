#include "ui/ProgressText.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace ProgressText {

std::string formatSize(float bytes)
{
    std::ostringstream text;
    const float gigabyte = 1073741824.0f, megabyte = 1048576.0f, kilobyte = 1024.0f;
    if (bytes > gigabyte)
        text << std::fixed << std::setprecision(2) << static_cast<float>(bytes / gigabyte) << "GB";
    else if (bytes > megabyte)
        text << std::fixed << std::setprecision(2) << static_cast<float>(bytes / megabyte) << "MB";
    else if (bytes > kilobyte)
        text << std::fixed << std::setprecision(2) << static_cast<float>(bytes / kilobyte) << "KB";
    else
        text << std::setprecision(2) << bytes << "B";
    return text.str();
}

std::string formatRemaining(int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    int64_t hours = seconds / 3600;
    int64_t minutes = (seconds - hours * 3600) / 60;
    int64_t rest = (seconds - hours * 3600) % 60;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(rest));
    return text;
}

std::string formatStart(int64_t totalBytes)
{
    return "0B/" + std::to_string(totalBytes) + "B";
}

std::wstring caption(const std::wstring& remoteName, size_t number, size_t count)
{
    if (count == 1)
        return remoteName;
    return remoteName + L" (plik " + std::to_wstring(number) + L" z " + std::to_wstring(count) + L")";
}

std::wstring resuming(int attempt, int attempts)
{
    return L"Wznawianie wysyłania (próba " + std::to_wstring(attempt) + L" z " + std::to_wstring(attempts) + L")…";
}

}
