#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fakes/FakeCompanionControl.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeSecretProtector.h"
#include "fakes/FakeViews.h"
#include "forms/FormSlot.h"
#include "translate/frmService.h"

namespace quillmar {
namespace {

using Id = frmService::ControlId;
using Fields = std::vector<int>;

// Items of the first list, in the order it offers them.
enum Item { kMyMemory, kDeepL, kLibre, kModel, kPhrasebook, kOther };

class ServiceDialog : public ::testing::Test {
protected:
    frmService& Open() {
        frmService& form = slot();
        form.Show();
        return form;
    }
    fakes::FakeDialogView& View() { return *views.dialog; }
    void Pick(Id list, int item) {
        View().picked[list] = item;
        slot().Changed(list);
    }
    void Type(Id box, const std::string& text) {
        View().texts[box] = text;
        slot().Changed(box);
    }
    const DialogControl& ControlOf(int id) {
        m_controls = slot().Controls();
        return *std::find_if(m_controls.begin(), m_controls.end(),
                             [id](const DialogControl& c) { return c.id == id; });
    }
    ServiceSettings Stored() { return LoadServiceSettings(store, secrets, "QUILLMAR", "settings"); }

    fakes::FakeDialogViews views;
    fakes::FakeSettingsStore store;
    fakes::FakeSecretProtector secrets;
    fakes::FakeCompanionControl companion;
    fakes::FakeDialogs dialogs;
    FormSlot<frmService> slot{[this] {
        return std::make_unique<frmService>(views, ServicePorts{store, secrets, companion, dialogs},
                                            "QUILLMAR", "settings", [this] { slot.Unload(); });
    }};

private:
    std::vector<DialogControl> m_controls;
};

TEST_F(ServiceDialog, EachEngineShowsTheBoxesItNeedsWithKeysMasked) {
    Open();
    const std::map<int, Fields> expected{
        {kMyMemory, {Id::kTxtMyMemoryEmail}},
        {kDeepL, {Id::kTxtDeepLKey}},
        {kLibre, {Id::kTxtLibreUrl, Id::kTxtLibreKey}},
        {kModel, {Id::kTxtModelUrl, Id::kTxtModelName, Id::kTxtModelKey}},
        {kPhrasebook, {}},
        {kOther, {Id::kTxtServiceAddress}},
    };
    for (const auto& [item, fields] : expected) {
        Pick(Id::kCboEngine, item);
        EXPECT_EQ(slot().ShownFields(), fields) << item;
        for (int id = Id::kTxtMyMemoryEmail; id <= Id::kTxtServiceAddress; ++id) {
            const bool shown = std::count(fields.begin(), fields.end(), id) != 0;
            EXPECT_EQ(ControlOf(id).visible, shown) << item << " box " << id;
            EXPECT_EQ(ControlOf(Id::kLblField + id - Id::kTxtMyMemoryEmail).visible, shown) << item;
        }
        // Another service picks its own engines: there is nothing to fall back on here.
        EXPECT_EQ(ControlOf(Id::kCboFallback).visible, item != kOther) << item;
    }
    for (int id : {Id::kTxtDeepLKey, Id::kTxtLibreKey, Id::kTxtModelKey})
        EXPECT_TRUE(std::get<DialogControl::TextBox>(ControlOf(id).kind).masked) << id;
    EXPECT_FALSE(std::get<DialogControl::TextBox>(ControlOf(Id::kTxtLibreUrl).kind).masked);

    // The second engine's boxes follow the first's, one row each.
    Pick(Id::kCboEngine, kDeepL);
    Pick(Id::kCboFallback, 1 + kLibre);
    EXPECT_EQ(slot().ShownFields(), (Fields{Id::kTxtDeepLKey, Id::kTxtLibreUrl, Id::kTxtLibreKey}));
    EXPECT_LT(ControlOf(Id::kTxtDeepLKey).bounds.top, ControlOf(Id::kTxtLibreUrl).bounds.top);
    EXPECT_LT(ControlOf(Id::kTxtLibreUrl).bounds.top, ControlOf(Id::kTxtLibreKey).bounds.top);
}

TEST(WhereTextGoes, SaysWhereTheTextIsSentAndHow) {
    ServiceSettings settings;
    settings.engines.engines = "deepl";
    settings.engines.deepLKey = "abc:fx";
    EXPECT_EQ(WhereTextGoes(settings), "Your text is sent to DeepL (api-free.deepl.com) over HTTPS.");
    settings.engines.deepLKey = "abc";
    EXPECT_EQ(WhereTextGoes(settings), "Your text is sent to DeepL (api.deepl.com) over HTTPS.");

    settings.engines.engines = "phrasebook";
    EXPECT_EQ(WhereTextGoes(settings), "Your text stays on this computer.");

    settings.engines.engines = "openai,phrasebook";
    settings.engines.openAIUrl = "http://127.0.0.1:11434/v1";
    EXPECT_EQ(WhereTextGoes(settings),
              "Your text stays on this computer: it goes to the language model on this computer "
              "(127.0.0.1:11434). If that fails, the phrase book on this computer answers.");

    settings.engines.engines = "libretranslate,mymemory";
    settings.engines.libreTranslateUrl = "http://lt.example:5000/translate";
    EXPECT_EQ(
        WhereTextGoes(settings),
        "Your text is sent to the LibreTranslate server at lt.example:5000 over plain HTTP, unencrypted. "
        "If that fails, it is sent to MyMemory (api.mymemory.translated.net) over HTTPS.");

    settings.serviceAddress = "10.0.0.5:8080";
    EXPECT_EQ(WhereTextGoes(settings),
              "Your text is sent to the Quillmar service at 10.0.0.5:8080 over plain HTTP, unencrypted; that "
              "service decides where it goes next.");
    settings.serviceAddress = "built-in";
    EXPECT_EQ(WhereTextGoes(settings).rfind("Your text is sent to the LibreTranslate server", 0), 0U);
}

TEST_F(ServiceDialog, TheLineFollowsTheChoicesAndWhatIsTyped) {
    frmService& form = Open();
    EXPECT_EQ(form.lblWhere, "Your text is sent to MyMemory (api.mymemory.translated.net) over HTTPS.");
    Pick(Id::kCboEngine, kLibre);
    const int repaints = View().repaints;
    Type(Id::kTxtLibreUrl, "https://lt.example");
    EXPECT_EQ(form.lblWhere, "Your text is sent to the LibreTranslate server at lt.example over HTTPS.");
    EXPECT_EQ(View().repaints, repaints + 1);
    Type(Id::kTxtLibreKey, "k");  // the line stays as it is: no repaint for that
    EXPECT_EQ(View().repaints, repaints + 1);
    Pick(Id::kCboEngine, kOther);
    EXPECT_EQ(form.lblWhere, "Type the address of the Quillmar service your text is to be sent to.");
}

TEST_F(ServiceDialog, OkStoresTheChoiceAndRestartsTheCompanion) {
    Open();
    Pick(Id::kCboEngine, kDeepL);
    Type(Id::kTxtDeepLKey, " dl-key:fx \r\n");  // as pasted
    Pick(Id::kCboFallback, 1 + kMyMemory);
    slot().Click(Id::kCmdOK);

    EXPECT_FALSE(slot.IsLoaded());
    EXPECT_EQ(companion.restarts, 1);
    const ServiceSettings stored = Stored();
    EXPECT_EQ(stored.engines.engines, "deepl,mymemory");
    EXPECT_EQ(stored.engines.deepLKey, "dl-key:fx");
    EXPECT_EQ(stored.serviceAddress, "");

    // Opened again, it shows what was stored.
    Open();
    EXPECT_EQ(slot().First, EngineChoice::DeepL);
    EXPECT_EQ(slot().Fallback, EngineChoice::MyMemory);
    EXPECT_EQ(View().ControlText(Id::kTxtDeepLKey), "dl-key:fx");
}

TEST_F(ServiceDialog, AnotherServiceKeepsTheEngineChainForALaterReturn) {
    Open();
    Pick(Id::kCboEngine, kPhrasebook);
    slot().Click(Id::kCmdOK);
    Open();
    Pick(Id::kCboEngine, kOther);
    Type(Id::kTxtServiceAddress, "10.0.0.5:8080");
    slot().Click(Id::kCmdOK);
    EXPECT_EQ(Stored().serviceAddress, "10.0.0.5:8080");
    EXPECT_EQ(Stored().engines.engines, "phrasebook");

    Open();
    EXPECT_EQ(slot().First, EngineChoice::OtherService);
    EXPECT_EQ(View().ControlText(Id::kTxtServiceAddress), "10.0.0.5:8080");
    Pick(Id::kCboEngine, kMyMemory);
    slot().Click(Id::kCmdOK);
    EXPECT_EQ(Stored().serviceAddress, "");
    EXPECT_EQ(companion.restarts, 3);
}

TEST_F(ServiceDialog, CancelAndTheCloseBoxStoreNothing) {
    store.values["QUILLMAR|settings|Engines"] = "phrasebook";
    const auto before = store.values;
    for (bool closeBox : {false, true}) {
        Open();
        Pick(Id::kCboEngine, kDeepL);
        Type(Id::kTxtDeepLKey, "typed");
        if (closeBox)
            slot().CloseBox();
        else
            slot().Click(Id::kCmdCancel);
        EXPECT_FALSE(slot.IsLoaded());
    }
    EXPECT_EQ(store.values, before);
    EXPECT_EQ(companion.restarts, 0);
}

TEST_F(ServiceDialog, AChoiceThatCannotBeStoredKeepsTheDialogOpenAndSaysWhy) {
    Open();
    Pick(Id::kCboEngine, kDeepL);
    slot().Click(Id::kCmdOK);  // no key yet
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, "DeepL needs your key: type it into the DeepL key box.");
    EXPECT_EQ(View().focused, Id::kTxtDeepLKey);

    Type(Id::kTxtDeepLKey, "dl-key");
    secrets.refuses = true;
    slot().Click(Id::kCmdOK);
    ASSERT_EQ(dialogs.shown.size(), 2U);
    EXPECT_EQ(dialogs.shown[1].text,
              "The translation service could not be changed: The key for DeepLKey could "
              "not be protected, so nothing was saved.");
    EXPECT_TRUE(slot.IsLoaded());
    EXPECT_TRUE(store.values.empty());
    EXPECT_EQ(companion.restarts, 0);

    secrets.refuses = false;  // the user tries again
    slot().Click(Id::kCmdOK);
    EXPECT_FALSE(slot.IsLoaded());
    EXPECT_EQ(Stored().engines.deepLKey, "dl-key");
}

TEST_F(ServiceDialog, TestTranslatesWithTheUnstoredChoiceAndShowsTheAnswerOrTheReason) {
    frmService& form = Open();
    Pick(Id::kCboEngine, kModel);
    Type(Id::kTxtModelUrl, "http://127.0.0.1:11434/v1");
    form.Click(Id::kCmdTest);
    EXPECT_EQ(form.lblTest, "Type the name of the model to use, such as llama3.2.");
    EXPECT_TRUE(companion.tests.empty());

    Type(Id::kTxtModelName, "qwen3");
    form.Click(Id::kCmdTest);
    ASSERT_EQ(companion.tests.size(), 1U);
    EXPECT_EQ(companion.tests[0].text, "Hello, how are you?");
    EXPECT_EQ(companion.tests[0].settings.engines.engines, "openai");
    EXPECT_EQ(companion.tests[0].settings.engines.openAIModel, "qwen3");
    EXPECT_TRUE(form.Testing);
    form.Click(Id::kCmdTest);  // refused while the first runs
    EXPECT_EQ(companion.tests.size(), 1U);

    companion.Deliver({true, "Bonjour, comment allez-vous ?"});
    EXPECT_FALSE(form.Testing);
    EXPECT_EQ(form.lblTest, "It works. In French: Bonjour, comment allez-vous ?");
    EXPECT_NE(std::get<DialogControl::Label>(ControlOf(Id::kLblTest).kind).caption.find("Bonjour"),
              std::string::npos);

    form.Click(Id::kCmdTest);
    companion.Deliver({false, "openai: no connection to 127.0.0.1:11434"});
    EXPECT_EQ(form.lblTest, "It failed: openai: no connection to 127.0.0.1:11434");
    EXPECT_TRUE(store.values.empty()) << "a test stores nothing";
}

TEST_F(ServiceDialog, ATestsAnswerAfterTheDialogClosedIsHarmless) {
    Open();
    slot().Click(Id::kCmdTest);
    slot().Click(Id::kCmdCancel);
    ASSERT_FALSE(slot.IsLoaded());
    frmService& reopened = Open();
    EXPECT_TRUE(companion.Deliver({true, "Bonjour"}));
    EXPECT_EQ(reopened.lblTest, "");  // the answer was for the dialog that is gone
    EXPECT_FALSE(reopened.Testing);
}

}  // namespace
}  // namespace quillmar
