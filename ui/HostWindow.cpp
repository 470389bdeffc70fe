#include "ui/HostWindow.h"

namespace HostWindow {

HWND find()
{
    return FindWindowW(L"{B993D471-D465-43F2-BBA5-DEEA18A1789E}", nullptr);
}

}
