#pragma once

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "net/port_mapping_gateway.h"

namespace qz7::testing {

// A router's mapping table in memory: records every request, fails or throws for chosen
// mappings, and can run a hook (on the caller's thread) before each request.
class FakePortCollection : public PortMappingCollection {
  public:
    struct Request {
        std::string action;  // "add", "remove" or "check"
        int externalPort = 0;
        std::string protocol;
        int internalPort = 0;
        std::string internalClient;
        bool enabled = false;
        std::string description;
    };
    using Mapping = std::pair<int, std::string>;

    bool add(int externalPort, std::string_view protocol, int internalPort,
             const std::string& internalClient, bool enabled,
             std::string_view description) override {
        Request request{"add",          externalPort, std::string(protocol),   internalPort,
                        internalClient, enabled,      std::string(description)};
        return answer(std::move(request));
    }

    bool remove(int externalPort, std::string_view protocol) override {
        return answer(Request{"remove", externalPort, std::string(protocol), 0, "", false, ""});
    }

    PortMappingLookup specificEntry(int externalPort, std::string_view protocol) override {
        const Mapping mapping{externalPort, std::string(protocol)};
        answer(Request{"check", externalPort, std::string(protocol), 0, "", false, ""});
        if (silent.count(mapping) != 0) return {PortMappingLookup::Answer::NoAnswer, {}};
        auto found = entries.find(mapping);
        if (found == entries.end()) return {PortMappingLookup::Answer::Missing, {}};
        return {PortMappingLookup::Answer::Found, found->second};
    }

    std::string externalAddress() override { return external; }

    std::string lanAddress() const override { return lan; }

    std::vector<Request> requests;
    std::set<Mapping> failing;   // answered with failure
    std::set<Mapping> throwing;  // answered with an exception
    std::string lan = "192.168.1.20";
    std::string external = "11.22.33.44";
    std::map<Mapping, PortMappingEntry> entries;           // what specificEntry reports
    std::set<Mapping> silent;                              // specificEntry gives no usable answer
    std::function<void(int requestNumber)> beforeRequest;  // 1-based

  private:
    bool answer(Request request) {
        if (beforeRequest) beforeRequest(static_cast<int>(requests.size()) + 1);
        const Mapping mapping{request.externalPort, request.protocol};
        requests.push_back(std::move(request));
        if (throwing.count(mapping) != 0) throw std::runtime_error("router refused");
        return failing.count(mapping) == 0;
    }
};

// A router service that is there (with the collection above) or not.
class FakePortGateway : public PortMappingGateway {
  public:
    PortMappingCollection* staticPortMappingCollection() override {
        ++lookups;
        if (throwOnLookup) throw std::runtime_error("no automation object");
        return present ? &collection : nullptr;
    }

    FakePortCollection collection;
    bool present = true;
    bool throwOnLookup = false;
    int lookups = 0;
};

}  // namespace qz7::testing
