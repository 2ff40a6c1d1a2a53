#pragma once

#include <filesystem>
#include <string>

#include "platform/service_host.h"
#include "server/service_entry.h"

namespace qz7 {

// Service entries of qz7ctl: a systemd unit that runs serve at boot, or a Task Scheduler task
// (the user's Run key where the Task Scheduler refuses) that runs it at logon. Each function
// returns what it did, for people, one line each, and throws OperationError when it could not.

// Installs the entry of the request, whose template name is the template's full name. The alert
// addresses (one a line; empty: none) go into a file only the owner may read, beside the store,
// which the entry names. With print, says what would be installed and changes nothing.
std::string installService(const ServiceHosts& hosts, ServiceRequest request,
                           const std::string& alertAddresses, bool print);

// Deletes the entry of the template (its full name, or the name as a user gave it for a template
// deleted or renamed since) and its alert file, and stops the serve it started.
std::string removeService(const ServiceHosts& hosts, const std::filesystem::path& gameFolder,
                          const std::string& templateName);

// The entries of qz7ctl: name, where it is written and what it serves, one a line.
std::string listServices(const ServiceHosts& hosts);

}  // namespace qz7
