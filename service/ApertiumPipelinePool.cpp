#include "service/ApertiumPipelinePool.h"

#include <algorithm>

namespace quillmar::service {

namespace {

void SetReason(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
}

}  // namespace

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
        std::string why;
        bool ok = slot->pipeline->Process(m_warmInput, &why).has_value();
        {
            std::lock_guard lock(m_mutex);
            --m_warming;
            slot->busy = false;
            if (ok) {
                slot->ready = true;
            } else {
                m_lastFailure = why;
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

std::optional<std::string> ApertiumPipelinePool::Process(std::string_view input, std::string* reason) {
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
            SetReason(reason, m_lastFailure.empty() ? "no pipeline could start" : m_lastFailure);
            return std::nullopt;
        }
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            SetReason(reason, "no pipeline free within " + std::to_string(m_wait.count()) + " ms");
            return std::nullopt;
        }
    }
    slot->busy = true;
    lock.unlock();
    std::optional<std::string> out = slot->pipeline->Process(input, reason);
    lock.lock();
    slot->busy = false;
    // The failed pipeline was killed: have it started and warmed before a request needs it.
    if (!out) WarmInBackgroundLocked(slot);
    m_changed.notify_all();
    return out;
}

bool ApertiumPipelinePool::Warm(std::string* reason) {
    {
        std::lock_guard lock(m_mutex);
        for (const std::unique_ptr<Slot>& s : m_slots) {
            if (s->ready) return true;
        }
    }
    return Process(m_warmInput, reason).has_value();
}

ApertiumPipelinePool::Health ApertiumPipelinePool::Check() {
    if (Size() == 0) Warm();
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
        bool alive = s->pipeline->Alive() || s->pipeline->Process(m_warmInput).has_value();
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
