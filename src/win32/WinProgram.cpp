#include "win32/WinProgram.h"

#include "follow/frmFollow.h"

namespace quillmar::win32 {

WinProgram::WinProgram(std::string serviceHost)
    : m_views(m_pictures),
      m_app(m_state, {m_windows, m_pictures, m_timers, m_connection, m_dialogs, m_menus, m_views},
            std::move(serviceHost)) {}

void WinProgram::Start() {
    m_app.FollowForm();
    m_app.SocketForm();
}

}  // namespace quillmar::win32
