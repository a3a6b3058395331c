#include "ui/dialog_model.h"

#include "gtest/gtest.h"
#include "ui/dialog_template.h"

namespace {

Settings with(void (*change)(Settings&)) {
  Settings s;
  change(s);
  return s;
}

// All three flags set to the same byte.
Settings with_flags(std::uint8_t value) {
  Settings s;
  s.fullscreen = value;
  s.music = value;
  s.dither = value;
  return s;
}

void expect_same(const Settings& a, const Settings& b) {
  EXPECT_EQ(a.fullscreen, b.fullscreen);
  EXPECT_EQ(a.music, b.music);
  EXPECT_EQ(a.color_bits, b.color_bits);
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_EQ(a.dither, b.dither);
}

Settings started_with(const Settings& before) {
  Settings after = before;
  EXPECT_FALSE(end_dialog(DialogEnd::start, fill_dialog(before), after));
  return after;
}

TEST(DialogFilling, DefaultsSelect400x300And32BitsWindowedWithoutMusicOrDither) {
  const DialogState state = fill_dialog(Settings{});
  EXPECT_EQ(state.resolution, 1);
  EXPECT_STREQ(resolutions[state.resolution].text, "400x300");
  EXPECT_FALSE(state.depth[0]);
  EXPECT_FALSE(state.depth[1]);
  EXPECT_TRUE(state.depth[2]);
  EXPECT_TRUE(state.windowed);
  EXPECT_FALSE(state.music);
  EXPECT_FALSE(state.dither);
}

TEST(DialogFilling, EachListedWidthSelectsItsEntryWhateverTheHeight) {
  const int widths[] = {320, 400, 640, 800, 1024};
  for (int i = 0; i < resolution_count; ++i) {
    Settings s;
    s.width = widths[i];
    s.height = 1;
    EXPECT_EQ(fill_dialog(s).resolution, i) << widths[i];
  }
}

TEST(DialogFilling, EachListedDepthChecksExactlyItsRadioButton) {
  const int depths[] = {16, 24, 32};
  for (int i = 0; i < depth_count; ++i) {
    Settings s;
    s.color_bits = depths[i];
    const DialogState state = fill_dialog(s);
    for (int j = 0; j < depth_count; ++j) EXPECT_EQ(state.depth[j], i == j) << depths[i];
  }
}

TEST(DialogFilling, OnlyTheValueOneCountsAsOn) {
  const DialogState ones = fill_dialog(with_flags(1));
  EXPECT_FALSE(ones.windowed);
  EXPECT_TRUE(ones.music);
  EXPECT_TRUE(ones.dither);

  const DialogState twos = fill_dialog(with_flags(2));
  EXPECT_TRUE(twos.windowed);
  EXPECT_FALSE(twos.music);
  EXPECT_FALSE(twos.dither);
}

TEST(DialogStart, Width640WithAnotherHeightStores640x480) {
  const Settings after = started_with(with([](Settings& s) {
    s.width = 640;
    s.height = 400;
  }));
  EXPECT_EQ(after.width, 640);
  EXPECT_EQ(after.height, 480);
}

TEST(DialogStart, UnknownWidthSelectsNothingAndKeepsWidthAndHeight) {
  const Settings before = with([](Settings& s) {
    s.width = 1280;
    s.height = 1024;
  });
  EXPECT_EQ(fill_dialog(before).resolution, -1);
  const Settings after = started_with(before);
  EXPECT_EQ(after.width, 1280);
  EXPECT_EQ(after.height, 1024);
}

TEST(DialogStart, UnknownDepthChecksNoRadioButtonAndIsKept) {
  const Settings before = with([](Settings& s) { s.color_bits = 8; });
  const DialogState state = fill_dialog(before);
  for (bool checked : state.depth) EXPECT_FALSE(checked);
  EXPECT_EQ(started_with(before).color_bits, 8);
}

TEST(DialogStart, FlagsOfTwoAreStoredAsTheBoxesShowThem) {
  const Settings after = started_with(with_flags(2));
  EXPECT_EQ(after.fullscreen, 0);
  EXPECT_EQ(after.music, 0);
  EXPECT_EQ(after.dither, 0);
}

TEST(DialogStart, StoresEveryControlTheUserChanged) {
  DialogState state = fill_dialog(Settings{});
  state.resolution = 4;
  state.windowed = false;
  state.music = true;
  state.dither = true;
  state.depth[2] = false;
  state.depth[0] = true;
  Settings s;
  EXPECT_FALSE(end_dialog(DialogEnd::start, state, s));
  EXPECT_EQ(s.width, 1024);
  EXPECT_EQ(s.height, 768);
  EXPECT_EQ(s.fullscreen, 1);
  EXPECT_EQ(s.music, 1);
  EXPECT_EQ(s.dither, 1);
  EXPECT_EQ(s.color_bits, 16);
}

TEST(DialogStart, PickingADepthReplacesAnUnknownOne) {
  Settings s;
  s.color_bits = 8;
  DialogState state = fill_dialog(s);
  state.depth[1] = true;
  end_dialog(DialogEnd::start, state, s);
  EXPECT_EQ(s.color_bits, 24);
}

TEST(DialogCancel, ExitAndCloseLeaveTheSettingsUntouchedWhateverWasChanged) {
  for (DialogEnd how : {DialogEnd::exit, DialogEnd::close}) {
    const Settings before = with([](Settings& s) {
      s.fullscreen = 2;
      s.music = 1;
      s.color_bits = 8;
      s.width = 1280;
      s.height = 7;
      s.dither = 3;
    });
    DialogState state = fill_dialog(before);
    state.resolution = 0;
    state.windowed = false;
    state.music = false;
    state.dither = true;
    state.depth[0] = true;
    Settings after = before;
    EXPECT_TRUE(end_dialog(how, state, after));
    expect_same(after, before);
  }
}

TEST(DialogTyping, ACharacterPicksTheNextEntryBeginningWithItAndComesRound) {
  const char* sizes[resolution_count];
  for (int i = 0; i < resolution_count; ++i) sizes[i] = resolutions[i].text;
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, 1, '6'), 2);
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, 1, '1'), 4);
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, 4, '3'), 0);
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, 0, '3'), 0);  // the only one
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, -1, '8'), 3);
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, 2, 's'), 2);  // none: unchanged
  EXPECT_EQ(next_entry_starting_with(sizes, resolution_count, -1, 's'), -1);

  const char* words[] = {"apple", "Berry", "avocado", "apricot"};
  EXPECT_EQ(next_entry_starting_with(words, 4, 0, 'a'), 2);
  EXPECT_EQ(next_entry_starting_with(words, 4, 2, 'A'), 3);
  EXPECT_EQ(next_entry_starting_with(words, 4, 3, 'a'), 0);
  EXPECT_EQ(next_entry_starting_with(words, 4, 3, 'b'), 1);
}

TEST(DialogLayout, TemplateSizeComesOutAt303x229PixelsAndTwiceThatAt200Percent) {
  const PixelRect size = to_pixels(0, 0, dialog_width_units, dialog_height_units);
  EXPECT_EQ(size.width, 303);
  EXPECT_EQ(size.height, 229);
  const PixelRect scaled = to_pixels(0, 0, dialog_width_units, dialog_height_units, 2);
  EXPECT_EQ(scaled.width, 606);
  EXPECT_EQ(scaled.height, 458);
}

TEST(DialogLayout, EveryControlLiesInsideTheDialogAtEachCommonScale) {
  for (const float scale : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 3.0f}) {
    const PixelRect dialog = to_pixels(0, 0, dialog_width_units, dialog_height_units, scale);
    for (const DialogControl& c : dialog_controls) {
      if (c.kind == ControlKind::resolution_list) continue;  // its template height is the open list
      const PixelRect r = to_pixels(c.x, c.y, c.width, c.height, scale);
      const char* name = c.caption ? c.caption : "";
      EXPECT_GE(r.x, 0);
      EXPECT_GE(r.y, 0);
      EXPECT_LE(r.x + r.width, dialog.width) << name << " at " << scale;
      EXPECT_LE(r.y + r.height, dialog.height) << name << " at " << scale;
    }
  }
}

}  // namespace
