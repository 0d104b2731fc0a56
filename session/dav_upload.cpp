// PUT of each item through one libcurl handle, so the connection is kept
// between requests. Certificate checks stay as libcurl sets them (on).
#include "session/dav_upload.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>
#include <string_view>

namespace phondeck {
namespace {

void global_init() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool unreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::string percent_encoded(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (unreserved(c)) {
      out += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    }
  }
  return out;
}

// "address book", "calendar" or "collection", for the messages.
std::string collection_word(const std::string& content_type) {
  if (content_type.find("vcard") != std::string::npos) return "address book";
  if (content_type.find("calendar") != std::string::npos) return "calendar";
  return "collection";
}

std::string reason_of(long status) {
  switch (status) {
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 409: return "Conflict";
    case 413: return "Payload Too Large";
    case 415: return "Unsupported Media Type";
    case 500: return "Internal Server Error";
    case 507: return "Insufficient Storage";
    default: return {};
  }
}

// What one response said: its status line's reason and its Location.
struct Response {
  std::string reason;
  std::string location;
};

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
  auto* r = static_cast<Response*>(user);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.substr(0, 5) == "HTTP/") {
    r->location.clear();
    const std::size_t code = line.find(' ');
    const std::size_t reason = code == std::string_view::npos ? code : line.find(' ', code + 1);
    r->reason = reason == std::string_view::npos ? std::string() : std::string(line.substr(reason + 1));
  } else if (line.size() > 9 && (line.substr(0, 9) == "Location:" || line.substr(0, 9) == "location:")) {
    std::string_view value = line.substr(9);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    r->location = std::string(value);
  }
  return size * count;
}

// The first 64 KiB of a response's body; the rest is read and dropped.
std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto* body = static_cast<std::string*>(user);
  if (body->size() < (64u << 10)) body->append(data, std::min(size * count, (64u << 10) - body->size()));
  return size * count;
}

// Whether a multistatus's first resourcetype names the kind ("addressbook",
// "calendar") as an element, whatever its namespace prefix.
bool resource_type_is(const std::string& body, const std::string& kind) {
  const std::size_t open = body.find("resourcetype");
  if (open == std::string::npos) return false;
  const std::size_t close = body.find("resourcetype", open + 12);
  const std::string inside = body.substr(open, close == std::string::npos ? std::string::npos : close - open);
  for (std::size_t at = inside.find(kind); at != std::string::npos; at = inside.find(kind, at + 1)) {
    const char before = at > 0 ? inside[at - 1] : ' ';
    const char after = at + kind.size() < inside.size() ? inside[at + kind.size()] : ' ';
    if ((before == '<' || before == ':') && (after == '/' || after == '>' || after == ' ')) return true;
  }
  return false;
}

// Whether the URL's host is this machine (Basic is then allowed over http).
bool loopback_host(CURLU* url) {
  char* host = nullptr;
  if (curl_url_get(url, CURLUPART_HOST, &host, 0) != CURLUE_OK) return false;
  const std::string h = host;
  curl_free(host);
  return h == "localhost" || h.rfind("127.", 0) == 0 || h == "[::1]";
}

struct Easy {
  CURL* handle = curl_easy_init();
  curl_slist* headers = nullptr;
  Easy() = default;
  Easy(const Easy&) = delete;
  Easy& operator=(const Easy&) = delete;
  ~Easy() {
    curl_slist_free_all(headers);
    if (handle != nullptr) curl_easy_cleanup(handle);
  }
};

}  // namespace

DavOutcome put_items(const std::string& collection_url, const DavAccount& account, const std::vector<DavItem>& items,
                     const std::string& content_type, const std::function<void(int done, int total)>& progress) {
  global_init();
  DavOutcome out;
  const std::string what = collection_word(content_type);

  // The collection's URL, checked, with one trailing slash.
  CURLU* parsed = curl_url();
  const bool valid = curl_url_set(parsed, CURLUPART_URL, collection_url.c_str(), 0) == CURLUE_OK;
  char* scheme = nullptr;
  std::string scheme_text;
  if (valid && curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
    scheme_text = scheme;
    curl_free(scheme);
  }
  const bool local = valid && loopback_host(parsed);
  curl_url_cleanup(parsed);
  if (!valid || (scheme_text != "http" && scheme_text != "https")) {
    out.error = "the " + what + "'s address is not an http or https URL: " + collection_url;
    return out;
  }
  std::string base = collection_url;
  if (const std::size_t query = base.find_first_of("?#"); query != std::string::npos) base.resize(query);
  if (base.empty() || base.back() != '/') base += '/';

  Easy easy;
  if (easy.handle == nullptr) {
    out.error = "the transfer library could not start";
    return out;
  }
  CURL* h = easy.handle;
  Response response;
  std::string body;
  char error_text[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_USERAGENT, "phondeck");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 15L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &response);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_text);
  const bool clear_ok = scheme_text == "https" || local;
  if (!account.user.empty()) {
    curl_easy_setopt(h, CURLOPT_USERNAME, account.user.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, account.password.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPAUTH, clear_ok ? (CURLAUTH_BASIC | CURLAUTH_DIGEST) : CURLAUTH_DIGEST);
  }

  // One request: the status (0: no answer, with the reason in `why`).
  std::string why;
  const auto perform = [&](const std::string& url, const std::string& method, curl_slist* headers,
                           const std::string& payload) -> long {
    response = {};
    body.clear();
    error_text[0] = '\0';
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, payload.data());
    const CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (rc != CURLE_OK && status == 0) why = error_text[0] != '\0' ? error_text : curl_easy_strerror(rc);
    return rc != CURLE_OK && status == 0 ? 0 : status;
  };
  const auto code_of = [&](long status) {
    const std::string reason = response.reason.empty() ? reason_of(status) : response.reason;
    return std::to_string(status) + (reason.empty() ? "" : " " + reason);
  };
  // The answers that stop the whole upload, with their error.
  const auto stops = [&](long status) {
    const std::string code = code_of(status);
    if (status == 401) {
      out.error = account.user.empty() ? "the server asks for a user name and password (" + code + ")"
                  : clear_ok ? "the server refused the user name or password (" + code + ")"
                             : "the server refused the password; over http it goes only as a digest, use https (" +
                                   code + ")";
    } else if (status == 403) {
      out.error = "the server refused access to the " + what + " (" + code + ")";
    } else if (status == 404) {
      out.error = "the " + what + " was not found at " + base + " (" + code + ")";
    } else if (status >= 300 && status < 400) {
      out.error = "the server moved the " + what + (response.location.empty() ? "" : " to " + response.location) +
                  " (" + code + ")";
    }
    return !out.error.empty();
  };

  // The collection first: there, reachable, and of the right kind. A server
  // without PROPFIND (405, 501) is sent the items all the same.
  curl_slist* probe_headers = curl_slist_append(nullptr, "Depth: 0");
  probe_headers = curl_slist_append(probe_headers, "Content-Type: application/xml; charset=utf-8");
  const long probe = perform(base, "PROPFIND", probe_headers,
                             "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<propfind xmlns=\"DAV:\"><prop><resourcetype/></prop></propfind>\n");
  curl_slist_free_all(probe_headers);
  if (probe == 0) {
    out.error = "the server could not be reached: " + why;
    return out;
  }
  if (stops(probe)) return out;
  const std::string kind = what == "address book" ? "addressbook" : what == "calendar" ? "calendar" : "";
  if (probe == 207 && !kind.empty() && !resource_type_is(body, kind)) {
    out.error = base + " is no " + what;
    return out;
  }
  out.reached = true;

  easy.headers = curl_slist_append(easy.headers, ("Content-Type: " + content_type).c_str());
  easy.headers = curl_slist_append(easy.headers, "If-None-Match: *");
  easy.headers = curl_slist_append(easy.headers, "Expect:");
  std::set<std::string> names;
  int lost = 0;  // transfers failing one after another
  const int total = static_cast<int>(items.size());
  for (int n = 0; n < total; ++n) {
    const DavItem& item = items[static_cast<std::size_t>(n)];
    const long status = names.insert(item.name).second ? perform(base + percent_encoded(item.name), "PUT",
                                                                 easy.headers, item.body)
                                                       : -1;
    if (status == -1) {
      out.failed.push_back(item.name + ": the same name (UID) as an earlier one");
    } else if (status == 0) {
      if (++lost >= 3) {
        out.error = "the connection to the server was lost: " + why;
        return out;
      }
      out.failed.push_back(item.name + ": " + why);
    } else {
      lost = 0;
      if (stops(status)) {
        out.failed.push_back(item.name + ": " + code_of(status));
        return out;
      }
      if (status >= 200 && status < 300) {
        ++out.created;
      } else if (status == 412) {
        ++out.present;
      } else {
        out.failed.push_back(item.name + ": " + code_of(status));
      }
    }
    if (progress) progress(n + 1, total);
  }
  return out;
}

}  // namespace phondeck
