// The leaderboard exchange over libcurl, for every system but Windows.
//
// The failure points carry the same texts as the Windows client, so a result
// reads the same on every system:
//   "InternetOpen feilet"          no easy handle (curl_easy_init failed)
//   "InternetConnect feilet"       the address is refused (bad host or port in
//                                  the URL, or this libcurl cannot speak https)
//   "HttpOpenRequest feilet"       the request cannot be set up (an option or the
//                                  header list is refused)
//   "HttpSendRequest feilet: N"    curl_easy_perform failed before the answer's
//                                  headers were complete; N is the CURLcode
//                                  (6 host not resolved, 7 nothing listening,
//                                  28 time-out, 35 TLS handshake, 60 untrusted
//                                  certificate or wrong host, 52/56 connection
//                                  closed without an answer)
// Once the headers are in, a failure while reading the body (closed
// connection, time-out, the 64 KiB cap) only ends the answer, which is then
// parsed as far as it was read.

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string>

#include "online/ScoreClient.h"

namespace {

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// What the callbacks collect during one exchange.
struct Exchange {
  std::string answer;
  long lastStatus = 0;
  bool headersDone = false;  // the final (non-1xx) header block has ended
};

std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
  auto& exchange = *static_cast<Exchange*>(user);
  const std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {
    const std::size_t space = line.find(' ');
    exchange.lastStatus = 0;
    for (std::size_t i = space + 1; space != std::string_view::npos && i < line.size(); ++i) {
      if (line[i] < '0' || line[i] > '9') {
        break;
      }
      exchange.lastStatus = exchange.lastStatus * 10 + (line[i] - '0');
    }
  } else if ((line == "\r\n" || line == "\n") && exchange.lastStatus >= 200) {
    exchange.headersDone = true;
  }
  return size * count;
}

std::size_t onBodyPiece(char* data, std::size_t size, std::size_t count, void* user) {
  auto& exchange = *static_cast<Exchange*>(user);
  if (exchange.answer.size() >= kMaxAnswerBytes) {
    return 0;  // the cap is reached: libcurl stops reading
  }
  appendAnswerPiece(exchange.answer, std::string_view(data, size * count));
  return size * count;
}

ScoreResult failed(std::string_view error) {
  ScoreResult result;
  result.error = error;
  return result;
}

// Sets every option; false as soon as one is refused.
bool setRequestOptions(CURL* curl, const ScoreEndpoint& endpoint, const std::string& body,
                       curl_slist* headers, Exchange& exchange) {
  const std::string userAgent(kScoreUserAgent);
  bool fine = true;
  const auto set = [&fine](CURLcode code) { fine = fine && code == CURLE_OK; };
  // https only, and a redirect is an answer like any other, never followed.
  set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https"));
  set(curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https"));
  set(curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L));
  // The worker thread must not receive signals (time-outs, name look-up).
  set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L));
  set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L));
  if (!endpoint.caFile.empty()) {
    set(curl_easy_setopt(curl, CURLOPT_CAINFO, endpoint.caFile.c_str()));
  }
  set(curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, endpoint.connectTimeoutMs));
  set(curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, endpoint.totalTimeoutMs));
  // One fresh connection per score, like the Windows client.
  set(curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L));
  set(curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L));
  set(curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1));
  set(curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str()));  // libcurl copies it
  set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers));
  // The body goes in one piece with its length known: no chunking.
  set(curl_easy_setopt(curl, CURLOPT_POST, 1L));
  set(curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str()));
  set(curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())));
  set(curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeaderLine));
  set(curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange));
  set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBodyPiece));
  set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange));
  return fine;
}

}  // namespace

void initScoreClient() {
  // curl_global_init is not thread-safe on every build of libcurl, so it runs
  // once on the main thread before a worker can exist. A failure shows up
  // later as a failed curl_easy_init.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

ScoreResult postScoreTo(const ScoreEndpoint& endpoint, const std::string& gameId,
                        std::int32_t score, const std::string& name) {
  const std::string body = buildScoreBody(gameId, score, name);

  const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) {
    return failed(kOpenFailed);
  }

  const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  const std::string port = std::to_string(endpoint.port);
  const std::string path(kScorePath);
  if (!url || curl_url_set(url.get(), CURLUPART_SCHEME, "https", 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_HOST, endpoint.host.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PORT, port.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), 0) != CURLUE_OK ||
      curl_easy_setopt(curl.get(), CURLOPT_CURLU, url.get()) != CURLE_OK) {
    return failed(kConnectFailed);
  }

  // The content type as the Windows client sends it; "Accept:" and "Expect:"
  // with no value keep libcurl from adding headers of its own.
  const std::string contentType(kScoreContentType.substr(0, kScoreContentType.size() - 2));
  std::unique_ptr<curl_slist, HeaderListDeleter> headers;
  for (const char* line : {contentType.c_str(), "Accept:", "Expect:"}) {
    curl_slist* grown = curl_slist_append(headers.get(), line);
    if (grown == nullptr) {
      return failed(kRequestFailed);
    }
    // The list keeps its head once it has one; only the first line makes it.
    if (grown != headers.get()) {
      headers.reset(grown);
    }
  }
  Exchange exchange;
  if (!setRequestOptions(curl.get(), endpoint, body, headers.get(), exchange)) {
    return failed(kRequestFailed);
  }

  const CURLcode code = curl_easy_perform(curl.get());
  if (code != CURLE_OK && !exchange.headersDone) {
    return failed(std::string(kSendFailedPrefix) + std::to_string(static_cast<unsigned>(code)));
  }
  return parseScoreAnswer(exchange.answer);
}
