#include "service/ApertiumPipelinePool.h"

#include <algorithm>

namespace quillmar::service {

ApertiumPipelinePool::ApertiumPipelinePool(Factory factory, int maxPipelines, std::string warmInput,
                                           std::chrono::milliseconds wait)
    : m_factory(std::move(factory)),
      m_max(std::max(1, maxPipelines)),
      m_warmInput(std::move(warmInput)),
      m_wait(wait) {}

ApertiumPipelinePool::~ApertiumPipelinePool() {
    std::vector<Helper> helpers;
    {
        std::lock_guard lock(m_mutex);
        helpers = std::move(m_helpers);
    }
    for (Helper& helper : helpers) helper.thread.join();
}

void ApertiumPipelinePool::ReapHelpersLocked() {
    auto finished = std::partition(m_helpers.begin(), m_helpers.end(),
                                   [](const Helper& helper) { return !*helper.done; });
    for (auto it = finished; it != m_helpers.end(); ++it) it->thread.join();
    m_helpers.erase(finished, m_helpers.end());
}

void ApertiumPipelinePool::WarmInBackgroundLocked(Slot* slot) {
    ReapHelpersLocked();
    ++m_warming;
    slot->busy = true;
    slot->ready = false;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, slot, done] {
        Result<std::string> warm = slot->pipeline->Process(m_warmInput);
        bool ok = warm.Ok();
        {
            std::lock_guard lock(m_mutex);
            --m_warming;
            slot->busy = false;
            if (ok) {
                slot->ready = true;
            } else {
                m_lastFailure = warm.Reason();
                auto it = std::find_if(m_slots.begin(), m_slots.end(),
                                       [slot](const std::unique_ptr<Slot>& s) { return s.get() == slot; });
                if (it != m_slots.end()) m_slots.erase(it);
            }
            m_changed.notify_all();
        }
        *done = true;
    });
    m_helpers.push_back(Helper{std::move(thread), std::move(done)});
}

Result<std::string> ApertiumPipelinePool::Process(std::string_view input) {
    std::unique_lock lock(m_mutex);
    auto deadline = std::chrono::steady_clock::now() + m_wait;
    bool grew = false;
    Slot* slot = nullptr;
    for (;;) {
        for (const std::unique_ptr<Slot>& s : m_slots) {
            if (s->ready && !s->busy) {
                slot = s.get();
                break;
            }
        }
        if (slot) break;
        if (!grew && static_cast<int>(m_slots.size()) < m_max && m_warming == 0) {
            m_slots.push_back(std::make_unique<Slot>());
            m_slots.back()->pipeline = m_factory();
            WarmInBackgroundLocked(m_slots.back().get());
            grew = true;
        }
        if (m_slots.empty() && m_warming == 0) {
            return Failure{m_lastFailure.empty() ? "no pipeline could start" : m_lastFailure};
        }
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            return Failure{"no pipeline free within " + std::to_string(m_wait.count()) + " ms"};
        }
    }
    slot->busy = true;
    lock.unlock();
    Result<std::string> out = slot->pipeline->Process(input);
    lock.lock();
    slot->busy = false;
    // The failed pipeline was killed: have it started and warmed before a request needs it.
    if (!out) WarmInBackgroundLocked(slot);
    m_changed.notify_all();
    return out;
}

Status ApertiumPipelinePool::Warm() {
    {
        std::lock_guard lock(m_mutex);
        for (const std::unique_ptr<Slot>& s : m_slots) {
            if (s->ready) return {};
        }
    }
    Result<std::string> warm = Process(m_warmInput);
    if (!warm) return Failure{warm.Reason()};
    return {};
}

ApertiumPipelinePool::Health ApertiumPipelinePool::Check() {
    // One that cannot start counts as none up below.
    if (Size() == 0) (void)Warm();
    Health health;
    std::vector<Slot*> idle;
    {
        std::lock_guard lock(m_mutex);
        health.size = static_cast<int>(m_slots.size());
        for (const std::unique_ptr<Slot>& s : m_slots) {
            if (!s->ready) continue;
            if (s->busy) {
                ++health.up;
            } else {
                s->busy = true;
                idle.push_back(s.get());
            }
        }
    }
    for (Slot* s : idle) {
        bool alive = s->pipeline->Alive() || s->pipeline->Process(m_warmInput).Ok();
        std::lock_guard lock(m_mutex);
        s->busy = false;
        if (alive) ++health.up;
        m_changed.notify_all();
    }
    return health;
}

int ApertiumPipelinePool::Size() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_slots.size());
}

ApertiumPipeline* ApertiumPipelinePool::At(std::size_t i) const {
    std::lock_guard lock(m_mutex);
    return i < m_slots.size() ? m_slots[i]->pipeline.get() : nullptr;
}

}  // namespace quillmar::service
