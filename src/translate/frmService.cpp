#include "translate/frmService.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "translate/HostPort.h"

namespace quillmar {

namespace {

struct Offer {
    EngineChoice choice;
    const char* name;
    const char* caption;
};

constexpr std::array kOffers{
    Offer{EngineChoice::MyMemory, "mymemory", "MyMemory (free, no key)"},
    Offer{EngineChoice::DeepL, "deepl", "DeepL (your key)"},
    Offer{EngineChoice::LibreTranslate, "libretranslate",
          "LibreTranslate (a server's address, a key if it asks)"},
    Offer{EngineChoice::LanguageModel, "openai",
          "A language model (an OpenAI-compatible address such as Ollama's, a model name, a key if it asks)"},
    Offer{EngineChoice::Phrasebook, "phrasebook", "Offline phrase book (a few everyday phrases only)"},
    Offer{EngineChoice::OtherService, "", "Another Quillmar service (its address)"},
};
constexpr const char* kNoFallback = "Nothing else";

struct FieldText {
    int id;
    const char* label;
};

constexpr std::array kFieldLabels{
    FieldText{frmService::kTxtMyMemoryEmail, "MyMemory e-mail (optional):"},
    FieldText{frmService::kTxtDeepLKey, "DeepL key:"},
    FieldText{frmService::kTxtLibreUrl, "LibreTranslate address:"},
    FieldText{frmService::kTxtLibreKey, "LibreTranslate key (if asked):"},
    FieldText{frmService::kTxtModelUrl, "Language model address:"},
    FieldText{frmService::kTxtModelName, "Model name:"},
    FieldText{frmService::kTxtModelKey, "Language model key (if asked):"},
    FieldText{frmService::kTxtServiceAddress, "Service address (HOST[:PORT]):"},
};

constexpr int kLeft = 180;
constexpr int kBoxLeft = 2880;
constexpr int kBoxWidth = frmService::kClientWidth - kBoxLeft - 180;
constexpr int kRowHeight = 315;
constexpr int kFieldsTop = 1560;
// The lists run the dialog's width under their labels: the longest offer is a sentence.
constexpr int kListWidth = frmService::kClientWidth - 2 * kLeft;
constexpr int kFieldStep = 420;

std::vector<int> FieldsOf(EngineChoice choice) {
    switch (choice) {
        case EngineChoice::MyMemory:
            return {frmService::kTxtMyMemoryEmail};
        case EngineChoice::DeepL:
            return {frmService::kTxtDeepLKey};
        case EngineChoice::LibreTranslate:
            return {frmService::kTxtLibreUrl, frmService::kTxtLibreKey};
        case EngineChoice::LanguageModel:
            return {frmService::kTxtModelUrl, frmService::kTxtModelName, frmService::kTxtModelKey};
        case EngineChoice::Phrasebook:
            return {};
        case EngineChoice::OtherService:
            return {frmService::kTxtServiceAddress};
    }
    return {};
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<EngineChoice> ChoiceNamed(std::string_view name) {
    for (const Offer& offer : kOffers) {
        if (offer.choice != EngineChoice::OtherService && Lower(name) == offer.name) return offer.choice;
    }
    return std::nullopt;
}

std::vector<std::string> ChainNames(const std::string& engines) {
    std::vector<std::string> names;
    std::size_t from = 0;
    while (from <= engines.size()) {
        const std::size_t comma = std::min(engines.find(',', from), engines.size());
        if (std::string name = Trimmed(engines.substr(from, comma - from)); !name.empty())
            names.push_back(std::move(name));
        from = comma + 1;
    }
    return names;
}

// "", "built-in" and blanks mean the companion; anything else is the HOST[:PORT] of another service.
bool IsOtherService(const std::string& serviceAddress) {
    const std::string address = Lower(Trimmed(serviceAddress));
    return !address.empty() && address != "built-in";
}

bool IsLoopback(const std::string& host) {
    const std::string lower = Lower(host);
    return lower == "localhost" || lower.rfind("127.", 0) == 0 || lower == "[::1]" || lower == "::1";
}

// Where an http(s) address points: its scheme and its host[:port].
struct Place {
    bool https = false;
    std::string authority;
    std::string host;
};

std::optional<Place> PlaceOf(const std::string& url) {
    const std::string lower = Lower(url);
    Place place;
    std::size_t skip = 0;
    if (lower.rfind("https://", 0) == 0) {
        place.https = true;
        skip = 8;
    } else if (lower.rfind("http://", 0) == 0) {
        skip = 7;
    } else {
        return std::nullopt;
    }
    std::string authority = url.substr(skip, url.find_first_of("/?#", skip) - skip);
    if (const std::size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    if (authority.empty()) return std::nullopt;
    std::size_t hostEnd = authority.find(':');
    if (authority.front() == '[') {  // [::1]:8080
        hostEnd = authority.find(']');
        if (hostEnd == std::string::npos) return std::nullopt;
        ++hostEnd;
    }
    place.host = authority.substr(0, hostEnd);
    if (place.host.empty()) return std::nullopt;
    place.authority = std::move(authority);
    return place;
}

// Where one engine sends the text: the words for it, and whether that is this computer.
struct Destination {
    std::string words;
    bool local = false;
};

Destination AtAddress(const std::string& what, const std::string& url) {
    const std::optional<Place> place = PlaceOf(url);
    if (!place) return {"a " + what + " (its address is still to be typed)", false};
    if (IsLoopback(place->host))
        return {"the " + what + " on this computer (" + place->authority + ")", true};
    return {"the " + what + " at " + place->authority +
                (place->https ? " over HTTPS" : " over plain HTTP, unencrypted"),
            false};
}

Destination DestinationOf(EngineChoice choice, const EngineSettings& engines) {
    switch (choice) {
        case EngineChoice::MyMemory:
            return {"MyMemory (api.mymemory.translated.net) over HTTPS"};
        case EngineChoice::DeepL: {
            // DeepL's free keys end in ":fx" and are answered at their own host.
            const std::string& key = engines.deepLKey;
            const bool free = key.size() >= 3 && key.compare(key.size() - 3, 3, ":fx") == 0;
            return {std::string("DeepL (") + (free ? "api-free.deepl.com" : "api.deepl.com") +
                    ") over HTTPS"};
        }
        case EngineChoice::LibreTranslate:
            return AtAddress("LibreTranslate server", engines.libreTranslateUrl);
        case EngineChoice::LanguageModel:
            return AtAddress("language model", engines.openAIUrl);
        case EngineChoice::Phrasebook:
            return {"the phrase book", true};
        case EngineChoice::OtherService:
            break;
    }
    return {};
}

int Centred(int screen, int window) {
    return static_cast<int>(std::nearbyint(screen / 2.0 - window / 2.0));
}

}  // namespace

const char* EngineName(EngineChoice choice) {
    for (const Offer& offer : kOffers) {
        if (offer.choice == choice) return offer.name;
    }
    return "";
}

std::string WhereTextGoes(const ServiceSettings& settings) {
    if (IsOtherService(settings.serviceAddress)) {
        const std::string address = Trimmed(settings.serviceAddress);
        const std::optional<HostPort> place = ParseHostPort(address);
        if (place && IsLoopback(place->host))
            return "Your text goes to the Quillmar service on this computer (" + address +
                   "), which decides where it goes next.";
        return "Your text is sent to the Quillmar service at " + address +
               " over plain HTTP, unencrypted; that service decides where it goes next.";
    }
    std::vector<EngineChoice> chain;
    for (const std::string& name : ChainNames(settings.engines.engines)) {
        if (const std::optional<EngineChoice> choice = ChoiceNamed(name)) chain.push_back(*choice);
    }
    if (chain.empty()) chain.push_back(EngineChoice::MyMemory);  // what the service falls back to
    std::string line;
    for (std::size_t i = 0; i < chain.size() && i < 2; ++i) {
        const Destination to = DestinationOf(chain[i], settings.engines);
        const bool phrasebook = chain[i] == EngineChoice::Phrasebook;
        if (i == 0) {
            if (phrasebook)
                line = "Your text stays on this computer.";
            else if (to.local)
                line = "Your text stays on this computer: it goes to " + to.words + ".";
            else
                line = "Your text is sent to " + to.words + ".";
        } else {
            if (phrasebook)
                line += " If that fails, the phrase book on this computer answers.";
            else if (to.local)
                line += " If that fails, it goes to " + to.words + ".";
            else
                line += " If that fails, it is sent to " + to.words + ".";
        }
    }
    return line;
}

frmService::frmService(FormViews& views, ServicePorts ports, std::string appName, std::string section,
                       std::function<void()> unload)
    : m_views(views),
      m_ports(ports),
      m_appName(std::move(appName)),
      m_section(std::move(section)),
      m_unload(std::move(unload)),
      m_alive(std::make_shared<frmService*>(this)) {}

frmService::~frmService() = default;

void frmService::Form_Load() {
    m_loaded = LoadServiceSettings(m_ports.settings, m_ports.secrets, m_appName, m_section);
    const std::vector<std::string> names = ChainNames(m_loaded.engines.engines);
    if (!names.empty()) First = ChoiceNamed(names[0]).value_or(EngineChoice::MyMemory);
    if (names.size() > 1) Fallback = ChoiceNamed(names[1]);
    if (Fallback == First) Fallback.reset();
    if (IsOtherService(m_loaded.serviceAddress)) First = EngineChoice::OtherService;

    if (!m_view) m_view = m_views.CreateDialogView(*this);
    const TwipsRect frame = m_view->Frame();
    const TwipsRect screen = m_view->Screen();
    Bounds.width = kClientWidth + frame.width;
    Bounds.height = kClientHeight + frame.height;
    Bounds.left = Centred(screen.width, Bounds.width);
    Bounds.top = Centred(screen.height, Bounds.height);
    m_view->Place(Bounds, Placing::InPlace);
    Refresh();
}

void frmService::Show() {
    if (m_view) m_view->Show();
}

std::string frmService::Field(int id) const {
    return Trimmed(m_view ? m_view->ControlText(id) : "");
}

std::vector<int> frmService::ShownFields() const {
    std::vector<int> fields = FieldsOf(First);
    if (First != EngineChoice::OtherService && Fallback && *Fallback != First) {
        for (int id : FieldsOf(*Fallback)) fields.push_back(id);
    }
    return fields;
}

ServiceSettings frmService::Chosen() const {
    ServiceSettings chosen = m_loaded;
    EngineSettings& engines = chosen.engines;
    engines.myMemoryEmail = Field(kTxtMyMemoryEmail);
    engines.deepLKey = Field(kTxtDeepLKey);
    engines.libreTranslateUrl = Field(kTxtLibreUrl);
    engines.libreTranslateKey = Field(kTxtLibreKey);
    engines.openAIUrl = Field(kTxtModelUrl);
    engines.openAIModel = Field(kTxtModelName);
    engines.openAIKey = Field(kTxtModelKey);
    if (First == EngineChoice::OtherService) {
        // The engines are that service's business; the stored chain stays for a later return.
        chosen.serviceAddress = Field(kTxtServiceAddress);
        return chosen;
    }
    if (IsOtherService(m_loaded.serviceAddress)) chosen.serviceAddress.clear();
    engines.engines = EngineName(First);
    if (Fallback && *Fallback != First) engines.engines += std::string(",") + EngineName(*Fallback);
    return chosen;
}

std::optional<frmService::Missing> frmService::Check(const ServiceSettings& chosen) const {
    if (First == EngineChoice::OtherService) {
        if (!ParseHostPort(chosen.serviceAddress))
            return Missing{
                "Type the address of the Quillmar service as HOST or HOST:PORT, such as "
                "192.168.1.20:8080.",
                kTxtServiceAddress};
        return std::nullopt;
    }
    std::vector<EngineChoice> chain{First};
    if (Fallback && *Fallback != First) chain.push_back(*Fallback);
    const EngineSettings& engines = chosen.engines;
    for (EngineChoice choice : chain) {
        if (choice == EngineChoice::DeepL && engines.deepLKey.empty())
            return Missing{"DeepL needs your key: type it into the DeepL key box.", kTxtDeepLKey};
        if (choice == EngineChoice::LibreTranslate && !PlaceOf(engines.libreTranslateUrl))
            return Missing{"Type the LibreTranslate server's address, beginning with https:// (or http://).",
                           kTxtLibreUrl};
        if (choice == EngineChoice::LanguageModel && !PlaceOf(engines.openAIUrl))
            return Missing{
                "Type the language model's address, beginning with http:// or https://, such as "
                "http://127.0.0.1:11434/v1 for Ollama.",
                kTxtModelUrl};
        if (choice == EngineChoice::LanguageModel && engines.openAIModel.empty())
            return Missing{"Type the name of the model to use, such as llama3.2.", kTxtModelName};
    }
    return std::nullopt;
}

void frmService::UpdateWhere() {
    if (First == EngineChoice::OtherService && Field(kTxtServiceAddress).empty())
        lblWhere = "Type the address of the Quillmar service your text is to be sent to.";
    else
        lblWhere = WhereTextGoes(Chosen());
}

void frmService::Refresh() {
    UpdateWhere();
    if (m_view) m_view->Repaint();
}

void frmService::Changed(int id) {
    if (!m_view) return;
    if (id == kCboEngine) {
        const int picked = m_view->SelectedItem(kCboEngine);
        if (picked >= 0 && picked < static_cast<int>(kOffers.size())) First = kOffers[picked].choice;
    } else if (id == kCboFallback) {
        const int picked = m_view->SelectedItem(kCboFallback);
        // Item 0 is "Nothing else", then the engines in the order of the first list.
        if (picked == 0)
            Fallback.reset();
        else if (picked > 0 && picked < static_cast<int>(kOffers.size()))
            Fallback = kOffers[picked - 1].choice;
    } else {
        // A keystroke repaints only when it moves the line, such as a new host in an address.
        const std::string before = lblWhere;
        UpdateWhere();
        if (lblWhere != before) m_view->Repaint();
        return;
    }
    Refresh();
}

void frmService::cmdTest_Click() {
    if (Testing) return;  // one test at a time: its answer is the one the line waits for
    const ServiceSettings chosen = Chosen();
    if (const std::optional<Missing> missing = Check(chosen)) {
        lblTest = missing->why;
        Refresh();
        return;
    }
    Testing = true;
    lblTest = std::string("Testing: translating \"") + kTestText + "\" into French...";
    Refresh();
    std::weak_ptr<frmService*> alive = m_alive;
    m_ports.companion.TestTranslation(chosen, kTestText, [alive](EngineTestOutcome outcome) {
        const std::shared_ptr<frmService*> form = alive.lock();
        if (!form) return;  // the dialog was closed meanwhile
        frmService& self = **form;
        self.Testing = false;
        if (outcome.ok && !outcome.text.empty())
            self.lblTest = "It works. In French: " + outcome.text;
        else if (outcome.ok)
            self.lblTest = "It failed: the answer was empty.";
        else if (outcome.text.empty())
            self.lblTest = "It failed, and the service gave no reason.";
        else
            self.lblTest = "It failed: " + outcome.text;
        self.Refresh();
    });
}

void frmService::cmdOK_Click() {
    const ServiceSettings chosen = Chosen();
    if (const std::optional<Missing> missing = Check(chosen)) {
        m_ports.dialogs.ShowMessage(missing->why, kAppTitle, MessageIcon::Exclamation, MessageButtons::Ok);
        if (m_view) m_view->Focus(missing->field);
        return;
    }
    const SystemResult saved =
        SaveServiceSettings(m_ports.settings, m_ports.secrets, m_appName, m_section, chosen);
    if (!saved) {
        m_ports.dialogs.ShowMessage("The translation service could not be changed: " + saved.reason,
                                    kAppTitle, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    m_ports.companion.Restart();
    Close();
}

void frmService::cmdCancel_Click() {
    Close();
}

void frmService::Close() {
    const std::function<void()> unload = m_unload;  // outlives this form
    if (unload) unload();
}

void frmService::Click(int id) {
    switch (id) {
        case kCmdTest:
            cmdTest_Click();
            break;
        case kCmdOK:
            cmdOK_Click();
            break;  // may unload this form
        case kCmdCancel:
            cmdCancel_Click();
            break;
        default:
            break;
    }
}

std::vector<DialogControl> frmService::Controls() const {
    using Control = DialogControl;
    std::vector<std::string> engines;
    std::vector<std::string> fallbacks{kNoFallback};
    int firstItem = 0;
    int fallbackItem = 0;
    for (std::size_t i = 0; i < kOffers.size(); ++i) {
        engines.emplace_back(kOffers[i].caption);
        if (kOffers[i].choice == First) firstItem = static_cast<int>(i);
        if (kOffers[i].choice == EngineChoice::OtherService) continue;
        fallbacks.emplace_back(kOffers[i].caption);
        if (Fallback == kOffers[i].choice) fallbackItem = static_cast<int>(i) + 1;
    }
    const bool engineChosen = First != EngineChoice::OtherService;
    const auto initial = [&](int id) -> std::string {
        const EngineSettings& e = m_loaded.engines;
        switch (id) {
            case kTxtMyMemoryEmail:
                return e.myMemoryEmail;
            case kTxtDeepLKey:
                return e.deepLKey;
            case kTxtLibreUrl:
                return e.libreTranslateUrl;
            case kTxtLibreKey:
                return e.libreTranslateKey;
            case kTxtModelUrl:
                return e.openAIUrl;
            case kTxtModelName:
                return e.openAIModel;
            case kTxtModelKey:
                return e.openAIKey;
            case kTxtServiceAddress:
                return IsOtherService(m_loaded.serviceAddress) ? m_loaded.serviceAddress : "";
            default:
                return {};
        }
    };
    const bool masked[] = {false, true, false, true, false, false, true, false};

    // Tab order: the lists, the boxes, Test, OK, Cancel; the labels after them.
    std::vector<DialogControl> controls{
        {kCboEngine, {kLeft, 420, kListWidth, kRowHeight}, Control::DropDown{engines, firstItem}},
        {kCboFallback,
         {kLeft, 1080, kListWidth, kRowHeight},
         Control::DropDown{fallbacks, fallbackItem},
         engineChosen},
    };
    const std::vector<int> shown = ShownFields();
    std::vector<DialogControl> labels;
    for (const FieldText& field : kFieldLabels) {
        const auto row = std::find(shown.begin(), shown.end(), field.id);
        const bool visible = row != shown.end();
        const int top = kFieldsTop + kFieldStep * static_cast<int>(visible ? row - shown.begin() : 0);
        const int index = field.id - kTxtMyMemoryEmail;
        controls.push_back({field.id,
                            {kBoxLeft, top, kBoxWidth, kRowHeight},
                            Control::TextBox{initial(field.id), masked[index]},
                            visible});
        labels.push_back({kLblField + index,
                          {kLeft, top + 45, kBoxLeft - kLeft - 60, 255},
                          Control::Label{field.label},
                          visible});
    }
    controls.push_back({kCmdTest, {kLeft, 4320, 1200, 345}, Control::Button{"Test"}});
    controls.push_back({kCmdOK, {kClientWidth - 2760, 5280, 1200, 345}, Control::Button{"OK", true}});
    controls.push_back(
        {kCmdCancel, {kClientWidth - 1380, 5280, 1200, 345}, Control::Button{"Cancel", false, true}});
    controls.push_back({kLblEngine, {kLeft, 180, kListWidth, 255}, Control::Label{"Translate with:"}});
    controls.push_back(
        {kLblFallback, {kLeft, 840, kListWidth, 255}, Control::Label{"If it fails, try:"}, engineChosen});
    for (DialogControl& label : labels) controls.push_back(std::move(label));
    controls.push_back({kLblWhere, {kLeft, 3720, kListWidth, 480}, Control::Label{lblWhere}});
    controls.push_back({kLblTest, {1500, 4335, kClientWidth - 1500 - kLeft, 780}, Control::Label{lblTest}});
    return controls;
}

}  // namespace quillmar
