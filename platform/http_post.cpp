#include "platform/http_post.h"

#include <cstdio>

namespace qz7 {

std::string httpFailureText(const HttpResponse& response, std::chrono::milliseconds timeout) {
    switch (response.failure) {
        case HttpFailure::None:
            if (response.delivered()) return {};
            return "сервер ответил " + std::to_string(response.status);
        case HttpFailure::BadAddress:
            return "адрес не подходит (нужен http:// или https://)";
        case HttpFailure::HostNotFound:
            return "имя узла не найдено";
        case HttpFailure::Refused:
            return "соединение отклонено или узел недоступен";
        case HttpFailure::TimedOut: {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g", double(timeout.count()) / 1000.0);
            return std::string("нет ответа за ") + seconds + " с";
        }
        case HttpFailure::Tls:
            return "не удалось установить защищённое соединение (TLS)";
        case HttpFailure::Other:
            break;
    }
    return "ошибка HTTP (" + response.detail + ")";
}

}  // namespace qz7
