#include "server/serve_companion.h"

namespace qz7 {

bool endsTheRun(const std::string& eventName) {
    return eventName == "crashed" || eventName == "exited" || eventName == "stopped" ||
           eventName == "stopped-for-restart";
}

ServeCompanions::ServeCompanions(ServeLog& log, ServeGuard& guard, const std::string& commandLine) {
    log.addListener([shared = shared_, &guard, &commandLine](const ServeEvent& event) {
        shared->tell(event, guard, commandLine);
    });
}

ServeCompanions::~ServeCompanions() {
    std::vector<Entry> ending;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->closed = true;
        ending = std::move(shared_->companions);
    }
    while (!ending.empty()) ending.pop_back();
}

void ServeCompanions::add(std::string name, std::unique_ptr<ServeCompanion> companion) {
    std::lock_guard lock(shared_->mutex);
    shared_->companions.push_back({std::move(name), std::move(companion)});
}

void ServeCompanions::Shared::tell(const ServeEvent& event, ServeGuard& guard,
                                   const std::string& commandLine) {
    std::lock_guard lock(mutex);
    if (closed) return;
    const bool started = event.name == "started";
    const bool ended = endsTheRun(event.name);
    const int processId = event.fields.value("pid", 0);
    for (Entry& entry : companions) {
        guard.run(entry.name, [&] {
            if (started) entry.companion->runStarted(processId, commandLine);
            if (ended) entry.companion->runEnded();
            entry.companion->observe(event);
        });
    }
}

}  // namespace qz7
