#include "follow/StatusWindowSlot.h"

#include <memory>
#include <utility>

namespace quillmar {

StatusWindowSlot::StatusWindowSlot(ProgramState& state, TimerFactory& timers, PictureLoader& pictures,
                                   FormViews& views, std::function<void(const std::string&)> applySkin)
    : m_applySkin(std::move(applySkin)), m_slot([this, &state, &timers, &pictures, &views] {
          StatusWindowHost& host = *this;
          return std::make_unique<frmStatus>(host, state, timers, pictures, views);
      }) {}

}  // namespace quillmar
