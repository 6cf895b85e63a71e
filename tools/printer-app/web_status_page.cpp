// The printer's own page: what the status timer last read from the printer (never a
// query of its own: the printer may have a label on the wire), the supplies as
// printer-supply reports them, and the maintenance forms, which only the administrator
// may use (PAPPL's form checks, and the password check of web_admin).
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>

#include "app.h"
#include "web_admin.h"
#include "web_maintenance.h"
#include "web_page.h"

namespace nypr::app {
namespace {

constexpr const char* kPageName = "/kt3600r";

// The language of the request being answered on this thread (each client has its own):
// read before the answer starts, which clears the request's header fields.
thread_local bool t_japanese = false;

std::string tr(pappl_client_t*, const char* text) {
  return localized(t_japanese, text);
}

// The strings file's entries: "key" = "value"; one a line, no escapes.
std::map<std::string, std::string> parseStrings(const char* data) {
  std::map<std::string, std::string> entries;
  const std::regex entry("^\"([^\"]*)\" = \"([^\"]*)\";$");
  std::istringstream lines(data);
  std::string line;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, m, entry)) entries[m[1]] = m[2];
  }
  return entries;
}

void put(pappl_client_t* client, const std::string& html) {
  papplClientHTMLPuts(client, html.c_str());
}

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// A version the printer gives times 100.
std::string version(int hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
  return text;
}

std::string metres(uint64_t mm) {
  return format("%.3f m", static_cast<double>(mm) / 1000.0);
}

// One row of a table; `id` names the value for scripts and tests.
void row(pappl_client_t* client, const char* id, const char* label, const std::string& value) {
  put(client, "<tr><th>" + htmlEscape(tr(client, label)) + "</th><td id=\"" + id + "\">" +
                  htmlEscape(value) + "</td></tr>\n");
}

void statusTable(pappl_client_t* client, const AppPrinter& printer) {
  bool have = false;
  uint32_t lastError = 0;
  std::string lastMessage;
  const host::PrinterStatus status = printer.lastStatus(have, lastError);
  {
    std::lock_guard lock(printer.statusMutex);
    lastMessage = printer.lastErrorMessage;
  }
  put(client, "<h2 class=\"title\">" + htmlEscape(tr(client, "Printer status")) +
                  "</h2>\n<table class=\"list\" summary=\"status\">\n");
  const char* answer = !have              ? "Not read yet"
                       : !status.answered ? "No answer"
                       : status.errorCode ? "Not ready"
                                          : "Ready";
  row(client, "state", "State", tr(client, answer));
  if (status.errorCode != 0) {
    row(client, "condition", "Condition",
        "[" + std::to_string(status.errorCode) + "] " + status.errorMessage);
  }
  row(client, "last-error", "Last error",
      lastError == 0 ? tr(client, "None") : "[" + std::to_string(lastError) + "] " + lastMessage);
  if (have && status.details) {
    const host::StatusDetails& d = *status.details;
    const std::string yes = tr(client, "Yes"), no = tr(client, "No");
    row(client, "head-open", "Head open", d.headOpen ? yes : no);
    row(client, "head-temperature", "Head temperature",
        format("%.1f \xC2\xB0"
               "C",
               d.headTemperatureTenths / 10.0));
    row(client, "ambient-temperature", "Ambient temperature",
        format("%.1f \xC2\xB0"
               "C",
               d.ambientTemperatureTenths / 10.0));
    // The driver writes the range with a full-width tilde, which is Japanese typography.
    std::string range = d.headResistance;
    if (const size_t at = range.find("\xEF\xBD\x9E"); at != std::string::npos) {
      range.replace(at, 3, tr(client, "~"));
    }
    row(client, "head-resistance", "Head resistance", range + " \xCE\xA9");
    row(client, "gap-sensor", "Gap sensor", std::to_string(d.gapSensor) + " %");
    row(client, "mark-sensor", "Mark sensor", std::to_string(d.markSensor) + " %");
    row(client, "peel-sensor", "Peel sensor", std::to_string(d.peelSensor) + " %");
    row(client, "ribbon-sensor", "Ribbon sensor", std::to_string(d.ribbonSensor) + " %");
    row(client, "cut-door-sensor", "Cutter door sensor", std::to_string(d.cutDoorSensor) + " %");
    row(client, "paper-stop-position", "Paper stop position", std::to_string(d.paperStopPosition));
    if (d.haveDistances) {
      row(client, "label-travel", "Label travel", metres(d.labelTravelMm));
      row(client, "body-travel", "Body travel", metres(d.bodyTravelMm));
      row(client, "head-warning-distance", "Head-break warning distance",
          std::to_string(d.headWarningKm) + " km");
    }
    row(client, "controller-version", "Controller version", version(d.controllerVersion));
    row(client, "bios-version", "BIOS version", version(d.biosVersion));
    row(client, "program-version", "Program version", version(d.programVersion));
    row(client, "device-controller-version", "Device controller version",
        version(d.deviceControllerVersion));
  }
  put(client, "</table>\n");
}

void suppliesTable(pappl_client_t* client, pappl_printer_t* p) {
  pappl_supply_t supplies[4] = {};
  const int n = papplPrinterGetSupplies(p, 4, supplies);
  put(client, "<h2 class=\"title\">" + htmlEscape(tr(client, "Supplies")) +
                  "</h2>\n<table class=\"list\" summary=\"supplies\">\n");
  for (int i = 0; i < n; ++i) {
    const char* id = i == 0 ? "supply-ribbon" : i == 1 ? "supply-head" : "supply-other";
    const std::string level = supplies[i].level < 0    ? tr(client, "Not reported")
                              : supplies[i].level == 0 ? tr(client, "Empty")
                                                       : std::to_string(supplies[i].level) + " %";
    row(client, id, supplies[i].description, level);
  }
  put(client, "</table>\n");
}

// A select of `count` options whose values are their indexes.
std::string choice(pappl_client_t* client, const char* name, const char* const* labels, int count) {
  std::string html = std::string("<select name=\"") + name + "\">";
  for (int i = 0; i < count; ++i) {
    html += "<option value=\"" + std::to_string(i) + "\">" + htmlEscape(tr(client, labels[i])) +
            "</option>";
  }
  return html + "</select>";
}

std::string field(pappl_client_t* client, const char* label, const std::string& input) {
  return "<label>" + htmlEscape(tr(client, label)) + " " + input + "</label> ";
}

std::string button(pappl_client_t* client, const char* action, const char* label) {
  return std::string("<button type=\"submit\" name=\"action\" value=\"") + action +
         "\" id=\"action-" + action + "\">" + htmlEscape(tr(client, label)) + "</button> ";
}

void actionForms(pappl_client_t* client, const std::string& path) {
  static const char* const kPatterns[] = {"Standard",    "Fine lines",  "Normal lines",
                                          "Thick lines", "Centre line", "Pattern A",
                                          "Pattern B"};
  static const char* const kPositions[] = {"Whole width", "Left", "Centre", "Right"};
  put(client, "<h2 class=\"title\">" + htmlEscape(tr(client, "Maintenance")) + "</h2>\n");
  papplClientHTMLStartForm(client, path.c_str(), false);
  put(client, "<p>" + button(client, "feed", "Feed a label") + button(client, "cut", "Cut") +
                  button(client, "stop", "Stop the printer") + "</p>\n</form>\n");
  papplClientHTMLStartForm(client, path.c_str(), false);
  put(client, "<p>" + field(client, "Pattern:", choice(client, "pattern", kPatterns, 7)) +
                  field(client, "Position:", choice(client, "position", kPositions, 4)) +
                  field(client, "Labels:",
                        "<input type=\"number\" name=\"labels\" min=\"1\" max=\"9999\" "
                        "value=\"1\">") +
                  button(client, "test-print", "Print the test pattern") + "</p>\n</form>\n");
  papplClientHTMLStartForm(client, path.c_str(), false);
  put(client, "<p>" +
                  field(client, "From dot:",
                        "<input type=\"number\" name=\"first\" min=\"1\" max=\"960\" "
                        "value=\"1\">") +
                  field(client, "to dot:",
                        "<input type=\"number\" name=\"last\" min=\"1\" max=\"960\" "
                        "value=\"960\">") +
                  button(client, "head-check", "Check the print head") + "</p>\n</form>\n");
}

void loginForm(pappl_client_t* client, const std::string& path) {
  put(client, "<h2 class=\"title\">" + htmlEscape(tr(client, "Maintenance")) + "</h2>\n");
  papplClientHTMLStartForm(client, path.c_str(), false);
  put(client, "<p><label>" + htmlEscape(tr(client, "Password:")) +
                  " <input type=\"password\" name=\"password\"></label> <input type=\"submit\" "
                  "value=\"" +
                  htmlEscape(tr(client, "Log in")) + "\"></p>\n</form>\n");
}

// The banner after an action.
std::string actionBanner(pappl_client_t* client, const ActionResult& r) {
  switch (r.outcome) {
    case ActionResult::Outcome::Done:
      return tr(client, "Done.");
    case ActionResult::Outcome::StillPrinting:
      return tr(client, "The printer is still printing the test pattern.");
    case ActionResult::Outcome::Busy:
      return tr(client,
                "The printer is printing: the action was not sent. Cancel the job to stop it.");
    case ActionResult::Outcome::Failed:
      break;
  }
  return tr(client, "The action failed:") + " [" + std::to_string(r.errorCode) + "] " + r.message;
}

// The label fed: the printer's default media.
void feedSize(pappl_printer_t* p, int& widthTenths, int& lengthTenths) {
  auto data = std::make_unique<pappl_pr_driver_data_t>();
  papplPrinterGetDriverData(p, data.get());
  widthTenths = data->media_default.size_width / 10;
  lengthTenths = data->media_default.size_length / 10;
}

std::mutex g_pagesMutex;
std::map<std::string, int> g_pages;  // page path -> PAPPL printer id

// The printer the page at `path` belongs to (0: none). A printer deleted and added again
// under its name takes the page over.
int pageOwner(const std::string& path) {
  std::lock_guard lock(g_pagesMutex);
  const auto it = g_pages.find(path);
  return it == g_pages.end() ? 0 : it->second;
}

struct Form {
  int count;
  cups_option_t* options;
};

const char* formValue(const char* name, void* form) {
  const auto* f = static_cast<const Form*>(form);
  return cupsGetOption(name, f->count, f->options);
}

// Runs the action the form names; the banner that says how it went.
std::string runActionOf(pappl_client_t* client, pappl_printer_t* p, AppPrinter& printer,
                        Form form) {
  ActionRequest request;
  if (!parseRequest(formValue, &form, request)) return tr(client, "Unknown action or value.");
  feedSize(p, request.feedWidthTenths, request.feedLengthTenths);
  const ActionResult result = runAction(printer, request, papplPrinterGetNumberOfActiveJobs(p) > 0);
  papplLogPrinter(p, PAPPL_LOGLEVEL_INFO, "Maintenance action \"%s\": %s",
                  formValue("action", &form),
                  result.outcome == ActionResult::Outcome::Busy     ? "refused while printing"
                  : result.outcome == ActionResult::Outcome::Failed ? "failed"
                                                                    : "done");
  std::string banner = actionBanner(client, result);
  if (request.action == Action::HeadCheck && result.outcome == ActionResult::Outcome::Done) {
    banner = tr(client, "Broken dots:") + " " + std::to_string(result.brokenCount);
    for (size_t i = 0; i < result.brokenDots.size(); ++i) {
      banner += (i == 0 ? " (" : ", ") + std::to_string(result.brokenDots[i]);
    }
    if (!result.brokenDots.empty()) banner += ")";
  }
  return banner;
}

bool pageCallback(pappl_client_t* client, void*) {
  t_japanese = wantsJapanese(client);
  std::string uri = papplClientGetURI(client);
  uri = uri.substr(0, uri.find('?'));
  pappl_printer_t* p =
      papplSystemFindPrinter(papplClientGetSystem(client), nullptr, pageOwner(uri), nullptr);
  const auto printer = p ? app().registry.find(papplPrinterGetID(p)) : nullptr;
  if (!printer) return papplClientRespond(client, HTTP_STATUS_NOT_FOUND, nullptr, nullptr, 0, 0);

  std::string banner;
  bool login = false;
  if (papplClientGetMethod(client) == HTTP_STATE_POST) {
    cups_option_t* form = nullptr;
    const int count = papplClientGetForm(client, &form);
    if (!papplClientIsValidForm(client, count, form)) {
      banner = tr(client, "Invalid form submission.");
    } else {
      switch (admitAdministrator(client, count, form)) {
        case Admission::Answered:
          cupsFreeOptions(count, form);
          return true;
        case Admission::Refused:
          banner = tr(client,
                      "Set an access password on the Security page to use the "
                      "maintenance actions from another computer.");
          break;
        case Admission::LoginNeeded:
          login = true;
          banner = tr(client, "Login password required.");
          break;
        case Admission::WrongPassword:
          login = true;
          banner = tr(client, "Password incorrect.");
          break;
        case Admission::LoggedIn:
          banner = tr(client, "Logged in.");
          break;
        case Admission::Admitted:
          banner = runActionOf(client, p, *printer, Form{count, form});
          break;
      }
    }
    cupsFreeOptions(count, form);
  }
  // The printer header answers the request (200, HTML) itself.
  const std::string title = tr(client, "KT3600R");
  papplClientHTMLPrinterHeader(client, p, title.c_str(), banner.empty() ? 10 : 0, nullptr, nullptr);
  put(client, "<div class=\"row\"><div class=\"col-12\">\n");
  if (!banner.empty())
    put(client, "<div class=\"banner\" id=\"banner\">" + htmlEscape(banner) + "</div>\n");
  statusTable(client, *printer);
  suppliesTable(client, p);
  if (login) {
    loginForm(client, uri);
  } else {
    actionForms(client, uri);
  }
  put(client, "</div></div>\n");
  papplClientHTMLPrinterFooter(client);
  return true;
}

}  // namespace

bool wantsJapanese(pappl_client_t* client) {
  const char* accept = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_ACCEPT_LANGUAGE);
  return accept && std::strncmp(accept, "ja", 2) == 0;
}

std::string localized(bool japanese, const char* english) {
  static const std::map<std::string, std::string> texts = parseStrings(japaneseStringsData());
  if (!japanese) return english;
  const auto it = texts.find(english);
  return it == texts.end() ? english : it->second;
}

std::string printerPagePath(const std::string& printerPath) {
  return printerPath + kPageName;
}

void addPrinterPage(pappl_printer_t* printer) {
  if (!app().system) return;
  char base[256];
  papplPrinterGetPath(printer, nullptr, base, sizeof base);
  const std::string path = printerPagePath(base);
  {
    std::lock_guard lock(g_pagesMutex);
    const bool known = g_pages.count(path) != 0;
    g_pages[path] = papplPrinterGetID(printer);
    if (known) return;
  }
  papplSystemAddResourceCallback(app().system, path.c_str(), "text/html", pageCallback, nullptr);
  papplPrinterAddLink(printer, "Printer status", path.c_str(),
                      PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

std::string htmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace nypr::app
