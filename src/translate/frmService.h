#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Views.h"
#include "platform/Dialogs.h"
#include "platform/SecretProtector.h"
#include "platform/SettingsStore.h"
#include "translate/ServiceSettings.h"

namespace quillmar {

// What the user picks from, by what it is; the first five are engines of the companion service.
enum class EngineChoice { MyMemory, DeepL, LibreTranslate, LanguageModel, Phrasebook, OtherService };

// The engine's name in the chain ("deepl"); "" for another service, which is no engine.
const char* EngineName(EngineChoice choice);

// Where the typed text goes with `settings`, in plain words, for the line under the choices.
std::string WhereTextGoes(const ServiceSettings& settings);

// What the dialog needs from the program around it.
struct ServicePorts {
    SettingsStore& settings;
    SecretProtector& secrets;
    CompanionControl& companion;
    Dialogs& dialogs;
};

// "TRANSLATION SERVICE": the engine (or another Quillmar service), the fields it needs, a second engine
// to fall back on, where the text will go, a test, and OK to store the choice and restart the companion.
// `unload` destroys this form (its owner's slot) and is the last thing a handler calls.
class frmService final : public DialogForm {
public:
    enum ControlId {
        kCboEngine = 100,
        kCboFallback,
        kTxtMyMemoryEmail,
        kTxtDeepLKey,
        kTxtLibreUrl,
        kTxtLibreKey,
        kTxtModelUrl,
        kTxtModelName,
        kTxtModelKey,
        kTxtServiceAddress,
        kCmdTest,
        kCmdOK,
        kCmdCancel,
        kLblEngine,
        kLblFallback,
        kLblWhere,
        kLblTest,
        kLblField,  // the label of field kTxt... is kLblField + (its id - kTxtMyMemoryEmail)
    };
    static constexpr int kClientWidth = 9000;
    static constexpr int kClientHeight = 5820;
    static constexpr const char* kTestText = "Hello, how are you?";

    frmService(FormViews& views, ServicePorts ports, std::string appName, std::string section,
               std::function<void()> unload);
    ~frmService() override;

    // Reads the stored choice and makes the dialog's window, centred and hidden.
    void Form_Load();
    // Shows the dialog; an open one comes to the front.
    void Show();
    WindowHandle Hwnd() const { return m_view ? m_view->Handle() : 0; }

    void cmdTest_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // State the view shows.
    EngineChoice First = EngineChoice::MyMemory;
    std::optional<EngineChoice> Fallback;  // an engine only, never another service
    std::string lblWhere;
    std::string lblTest;
    bool Testing = false;
    TwipsRect Bounds{0, 0, kClientWidth, kClientHeight};  // outer window

    // Its window.
    std::string Title() const override { return "TRANSLATION SERVICE"; }
    int OuterWidth() const override { return Bounds.width; }
    int OuterHeight() const override { return Bounds.height; }
    std::vector<DialogControl> Controls() const override;
    void Click(int id) override;
    void CloseBox() override { cmdCancel_Click(); }
    void Changed(int id) override;

    // The text boxes the current choices need, top to bottom.
    std::vector<int> ShownFields() const;
    // What OK would store: the boxes as the user left them.
    ServiceSettings Chosen() const;

private:
    // Why the choice cannot be used yet, naming the box to fix; nothing when it can.
    struct Missing {
        std::string why;
        int field;
    };
    std::optional<Missing> Check(const ServiceSettings& chosen) const;
    std::string Field(int id) const;
    void UpdateWhere();
    void Refresh();
    void Close();

    FormViews& m_views;
    ServicePorts m_ports;
    std::string m_appName;
    std::string m_section;
    std::function<void()> m_unload;
    ServiceSettings m_loaded;
    std::unique_ptr<DialogView> m_view;
    // A test's answer that comes after this form is gone finds this expired.
    std::shared_ptr<frmService*> m_alive;
};

}  // namespace quillmar
