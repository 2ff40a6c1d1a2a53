#pragma once

#include <string>
#include <string_view>

namespace qz7 {

// One mapping as the router reports it.
struct PortMappingEntry {
    std::string internalClient;
    int internalPort = 0;
    std::string description;
    bool enabled = false;
};

// The router's answer about one external port: its mapping, no mapping, or no usable answer.
struct PortMappingLookup {
    enum class Answer { Found, Missing, NoAnswer };
    Answer answer = Answer::NoAnswer;
    PortMappingEntry entry;  // when Found
};

// The router's table of static port mappings, reached through its UPnP service.
class PortMappingCollection {
  public:
    virtual ~PortMappingCollection() = default;

    // Asks the router to forward externalPort to internalClient:internalPort. True when the
    // router made the mapping.
    virtual bool add(int externalPort, std::string_view protocol, int internalPort,
                     const std::string& internalClient, bool enabled,
                     std::string_view description) = 0;

    // Asks the router to drop the mapping of externalPort. True when it is gone, also when
    // the router had no such mapping.
    virtual bool remove(int externalPort, std::string_view protocol) = 0;

    // Asks the router for its mapping of externalPort (GetSpecificPortMappingEntry).
    virtual PortMappingLookup specificEntry(int externalPort, std::string_view protocol) = 0;

    // The router's own address towards the internet, dotted; empty when it does not tell.
    virtual std::string externalAddress() = 0;

    // This machine's address on the network through which the router answered; empty when
    // unknown.
    virtual std::string lanAddress() const = 0;
};

// Finds the router's UPnP service.
class PortMappingGateway {
  public:
    virtual ~PortMappingGateway() = default;

    // The router's collection, or nullptr when no UPnP router answers; throws when the network
    // cannot be asked at all. The collection stays valid until the next call or the gateway's
    // destruction.
    virtual PortMappingCollection* staticPortMappingCollection() = 0;
};

}  // namespace qz7
