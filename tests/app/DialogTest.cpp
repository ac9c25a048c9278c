// DialogTest.cpp — the launcher and the settings dialog driven through their widgets on a
// virtual X display: create a player in the file dialog, change settings, OK and Cancel.
#include "app/SetUnit.h"
#include "app/StartUnit.h"
#include "core/Bindings.h"
#include "core/ConfigUnit.h"
#include "core/DisplaySettings.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "platform/BindingsPanel.h"
#include "platform/Message.h"
#include "common/TempDir.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Slider.H>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

const std::vector<TDisplayMode> SystemModes = {
    {32, 800, 600, 60, 0}, {8, 1024, 768, 60, 1}, {32, 1024, 768, 85, 2}};

// Runs `action` once the toolkit is inside a modal loop (a dialog's own event loop).
void WhenModal(std::function<void()> action) {
  static std::function<void()> pending;
  pending = std::move(action);
  Fl::add_timeout(0.2, [](void*) {
    auto run = std::move(pending);
    pending = nullptr;
    run();
  });
}

template <typename T>
T* FindWidget(Fl_Group* group) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    if (auto* found = dynamic_cast<T*>(child)) return found;
    if (auto* inner = child->as_group())
      if (T* found = FindWidget<T>(inner)) return found;
  }
  return nullptr;
}

Fl_Window* FindWindow(const char* label) {
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
    if (w->label() && std::strcmp(w->label(), label) == 0) return w;
  return nullptr;
}

// Types a name into FLTK's file chooser and presses its OK button.
void TypeIntoFileChooser(const std::string& path, bool& found) {
  Fl_Window* chooser = FindWindow(TLauncherDialog::ChooserTitle);
  Fl_File_Input* input = chooser ? FindWidget<Fl_File_Input>(chooser) : nullptr;
  Fl_Return_Button* ok = chooser ? FindWidget<Fl_Return_Button>(chooser) : nullptr;
  found = input && ok;
  if (!found) {
    if (chooser) chooser->hide();
    return;
  }
  input->value(path.c_str());
  ok->do_callback();
}

class Dialogs : public ::testing::Test {
protected:
  void SetUp() override {
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "Data");
    SetMessageSink([this](const std::string& text) { Messages.push_back(text); });
    // Bump mapping possible: vertex programs and a second texture unit.
    static int activeTexture;
    Settings.FormCreate(SystemModes, "GL_ARB_vertex_program",
                        [](const char* name) -> void* {
                          return std::strcmp(name, "glActiveTexture") == 0 ? &activeTexture : nullptr;
                        });
  }
  void TearDown() override { SetMessageSink({}); }

  TTempDir Dir;
  std::vector<std::string> Messages;
  TSetForm Settings;
};

TEST_F(Dialogs, LauncherLayoutAndCaptions) {
  TStartForm form(Settings);
  form.FormCreate();
  form.Dialog.Show();
  Fl_Double_Window* w = form.Dialog.Window;
  EXPECT_STREQ(w->label(), "Quintara");
  EXPECT_EQ(w->w(), 265);
  EXPECT_EQ(w->h(), 300);
  EXPECT_STREQ(form.Dialog.StartButton->label(), "Start");
  EXPECT_STREQ(form.Dialog.PlayerButton->label(), "Create Player / Load Player");
  EXPECT_STREQ(form.Dialog.SetButton->label(), "Settings");
  EXPECT_STREQ(form.Dialog.EndButton->label(), "Exit");
  EXPECT_EQ(form.Dialog.StartButton->y(), 59);
  EXPECT_EQ(form.Dialog.EndButton->h(), 58);
  EXPECT_FALSE(form.Dialog.StartButton->active());
  form.Dialog.Hide();
}

TEST_F(Dialogs, CreatePlayerInTheFileDialogThenStart) {
  TStartForm form(Settings);
  form.FormCreate();
  form.Dialog.Show();
  bool chooserFound = false;
  const std::string typed = Dir.Str() + "Player/Ľuboš";
  WhenModal([&] { TypeIntoFileChooser(typed, chooserFound); });
  form.Dialog.PlayerButton->do_callback();
  ASSERT_TRUE(chooserFound);
  EXPECT_STREQ(form.Dialog.PlayerLabel->label(), "Ľuboš");
  EXPECT_TRUE(form.Dialog.StartButton->active());
  const std::string cp1250 = "\xBC" "ubo\x9A";
  EXPECT_EQ(ReadProfile(Dir / ("Player/" + cp1250)).Progress, 1);
  EXPECT_EQ(ReadLastPlayer(Dir / "Data/player.cfg"), cp1250);

  // Start ends the launcher's loop with the profile loaded.
  Fl::add_timeout(0.2, [](void* data) {
    static_cast<TStartForm*>(data)->Dialog.StartButton->do_callback();
  }, &form);
  EXPECT_TRUE(form.Run());
  EXPECT_EQ(CurrentLevel, 1);
  EXPECT_TRUE(Messages.empty());
}

TEST_F(Dialogs, CancelledFileDialogChangesNothing) {
  TStartForm form(Settings);
  form.FormCreate();
  form.Dialog.Show();
  WhenModal([] {
    if (Fl_Window* chooser = FindWindow(TLauncherDialog::ChooserTitle)) chooser->hide();
  });
  form.Dialog.PlayerButton->do_callback();
  EXPECT_FALSE(form.Dialog.StartButton->active());
  EXPECT_FALSE(FileExists(Dir / "Data/player.cfg"));
  form.Dialog.Hide();
}

TEST_F(Dialogs, ExitEndsTheLauncherWithoutStarting) {
  TStartForm form(Settings);
  form.FormCreate();
  Fl::add_timeout(0.2, [](void* data) {
    static_cast<TStartForm*>(data)->Dialog.EndButton->do_callback();
  }, &form);
  EXPECT_FALSE(form.Run());
}

TEST_F(Dialogs, SettingsOkWritesTheRecordAndCancelRestoresTheControls) {
  TStartForm form(Settings);
  form.FormCreate();
  form.Dialog.Show();
  ASSERT_FALSE(FileExists(Dir / "Data/config.cfg"));

  WhenModal([this] {
    TSettingsDialog& d = *Settings.Dialog;
    EXPECT_STREQ(d.Window->label(), "Settings");
    EXPECT_EQ(d.Window->w(), 367);
    ASSERT_EQ(d.ListBox1->size(), 2);  // the 8-bit mode is not offered
    EXPECT_STREQ(d.ListBox1->text(2), "1024 x 768 x 32 bit 85 Hz");
    EXPECT_TRUE(d.BumpCheckBox->active());
    d.ListBox1->value(2);
    d.BumpCheckBox->value(0);
    d.FilterComboBox->value(0);
    d.ShadowsComboBox->value(1);
    d.musVolTB->value(0);
    d.soundVolTB->value(-4000);
    d.mouseSensitTB->value(7);
    d.yInvertCheckBox->value(1);
    d.langEnRB->setonly();
    d.BitBtn1->do_callback();
  });
  form.Dialog.SetButton->do_callback();

  std::vector<uint8_t> bytes = ReadFileBytes(Dir / "Data/config.cfg", 100);
  ASSERT_EQ(bytes.size(), 28u);
  TConfig saved;
  std::memcpy(&saved, bytes.data(), sizeof saved);
  EXPECT_EQ(saved.DisplayMode, 1);
  EXPECT_EQ(saved.BumpMapping, 0);
  EXPECT_EQ(saved.Trilinear, 0);
  EXPECT_EQ(saved.Shadows, 1);
  EXPECT_EQ(saved.ShadowMapSize, 64);
  EXPECT_EQ(saved.MusicVolume, -700);
  EXPECT_EQ(saved.SoundVolume, -4500);
  EXPECT_EQ(saved.MouseSensitivity, 7);
  EXPECT_EQ(saved.InvertY, 1);
  EXPECT_EQ(saved.Language, 0);
  EXPECT_EQ(saved.UseMouse, 1);

  // Cancel after changing controls: nothing is written, the next opening shows the stored values.
  WhenModal([this] {
    TSettingsDialog& d = *Settings.Dialog;
    d.ShadowsComboBox->value(3);
    d.mouseSensitTB->value(-20);
    d.langSkRB->setonly();
    d.BitBtn2->do_callback();
  });
  form.Dialog.SetButton->do_callback();
  EXPECT_EQ(ReadFileBytes(Dir / "Data/config.cfg", 100), bytes);

  WhenModal([this] {
    TSettingsDialog& d = *Settings.Dialog;
    EXPECT_EQ(d.ShadowsComboBox->value(), 1);
    EXPECT_EQ(d.mouseSensitTB->value(), 7);
    EXPECT_EQ(d.langEnRB->value(), 1);
    EXPECT_EQ(d.ListBox1->value(), 2);
    d.BitBtn2->do_callback();
  });
  form.Dialog.SetButton->do_callback();
  form.Dialog.Hide();
}

// The Controls page: a key captured for Fire and a pad input picked from the list for Pause
// reach controls.cfg on OK, with the clash the capture made shown beside both actions; the
// window choice reaches display.cfg. Cancel after an edit leaves the file as it was.
TEST_F(Dialogs, ControlsPageRoundTripsABindingAndTheWindowChoice) {
  TStartForm form(Settings);
  form.FormCreate();
  form.Dialog.Show();
  std::string fireNote, slowNote;
  WhenModal([&] {
    TSettingsDialog& d = *Settings.Dialog;
    ASSERT_NE(d.BindingsButton, nullptr);
    WhenModal([&] {
      TBindingsPanel& page = *d.Bindings;
      const int fire = static_cast<int>(TAction::Fire);
      page.SelectAction(fire);
      page.StartCapture();
      EXPECT_TRUE(page.Capturing());
      // "s" is Slow's key by default: a conflict now.
      EXPECT_TRUE(page.CaptureKey('s'));
      EXPECT_FALSE(page.Capturing());
      fireNote = Settings.BindingsEdit.ConflictNote(fire);
      slowNote = Settings.BindingsEdit.ConflictNote(static_cast<int>(TAction::Slow));
      page.SelectAction(static_cast<int>(TAction::Pause));
      page.ClearButton->do_callback();
      for (int i = 0; i < page.InputChoice->size(); ++i)
        if (page.InputChoice->text(i) && std::string(page.InputChoice->text(i)) == "pad:back") page.InputChoice->value(i);
      page.AddButton->do_callback();
      page.CloseButton->do_callback();
    });
    d.BindingsButton->do_callback();
    d.WindowRB->setonly();
    d.WindowSizeComboBox->value(0);
    d.BitBtn1->do_callback();
  });
  form.Dialog.SetButton->do_callback();

  EXPECT_NE(fireNote.find("Slow"), std::string::npos) << fireNote;
  EXPECT_NE(slowNote.find("Fire"), std::string::npos) << slowNote;
  std::vector<TBindingProblem> problems;
  const TBindings saved = LoadBindings(Dir / "Data/controls.cfg", problems);
  EXPECT_TRUE(problems.empty());
  const std::vector<TInput>& fire = saved.Of(TAction::Fire);
  EXPECT_NE(std::find(fire.begin(), fire.end(), TInput{TInputKind::Key, 'S', 0}), fire.end());
  ASSERT_EQ(saved.Of(TAction::Pause).size(), 1u);
  EXPECT_EQ(InputName(saved.Of(TAction::Pause)[0]), "pad:back");
  const TDisplaySettings display = LoadDisplaySettings(Dir / "Data/display.cfg");
  EXPECT_FALSE(display.FullScreen);
  EXPECT_GT(display.WindowWidth, 0);

  const std::vector<uint8_t> before = ReadFileBytes(Dir / "Data/controls.cfg", 10000);
  WhenModal([&] {
    TSettingsDialog& d = *Settings.Dialog;
    WhenModal([&] {
      d.Bindings->ResetButton->do_callback();
      d.Bindings->CloseButton->do_callback();
    });
    d.BindingsButton->do_callback();
    d.BitBtn2->do_callback();
  });
  form.Dialog.SetButton->do_callback();
  EXPECT_EQ(ReadFileBytes(Dir / "Data/controls.cfg", 10000), before);
  EXPECT_EQ(Settings.BindingsEdit.Bindings, saved);
  form.Dialog.Hide();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  UseBuiltInFileChooser();
  return RUN_ALL_TESTS();
}
