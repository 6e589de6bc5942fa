#pragma once
// The show's own facts, which every program that plays or captures it shares.

namespace nimra {

// ms; the frame that sees this is the last, and the last moment anyone can start from is
// one before it.
constexpr int showLength = 207000;

// The music, read from the show's folder.
constexpr const char* musicFile = "tromblo-slow_harbour.mp3";

// The step the show's rules are played on to reach a moment: frame k lies at k * 1000 / 60
// ms, rounded, so the steps alternate between 16 and 17 ms and never drift.
constexpr int showFrameRate = 60;

// The picture the show was made for, and the window it opens by default.
constexpr int showWidth = 800;
constexpr int showHeight = 600;

}  // namespace nimra
