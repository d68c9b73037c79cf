#include "feed/http_client.h"

#include "fileio/program_module.h"

namespace feed {

std::unique_ptr<HttpClient> loadHttpClient(const QString& modulePath, QString* why) {
    static constexpr fileio::ProgramModule Module{
        QUORVEL_HTTP_MODULE, QUORVEL_HTTP_MODULE_INSTALLED, HttpClientEntry, "the network code"};
    const auto make =
        reinterpret_cast<HttpClientFactory>(fileio::moduleEntry(Module, modulePath, why));
    return make ? std::unique_ptr<HttpClient>(make()) : nullptr;
}

} // namespace feed
