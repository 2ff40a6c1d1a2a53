#pragma once

#include <optional>
#include <string>

namespace qz7 {

// An alert address (a webhook URL) is a secret: whoever has it can post to the channel behind it.
// It is shown only as its scheme, host and port with the rest hidden: "https://example.org/***".

// How an alert is put into the request's body: Discord's {"content": "<text>"}, or the event's
// JSON object.
enum class AlertFormat { Discord, Json };

// The address with everything after the host and port hidden; user names and passwords before
// the host are dropped.
std::string redactedAddress(const std::string& url);

// Discord for an address whose path holds /api/webhooks/, JSON otherwise.
AlertFormat defaultAlertFormat(const std::string& url);

// Why the text is no alert address (an http:// or https:// address with a host and, if it names
// a port, one from 1 to 65535), in Russian and naming the address only redacted; nothing when it
// is one.
std::optional<std::string> alertAddressProblem(const std::string& url);

// Why the text is no plain http:// address with a host and, if it names one, a port from 1 to
// 65535 (a router's description address); nothing when it is one.
std::optional<std::string> httpAddressProblem(const std::string& url);

}  // namespace qz7
