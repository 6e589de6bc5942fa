// The word cards that spell out the opening sentence, and the credit and greeting cards
// that slide over the scenes. All are 512 x 512 with a transparent background, drawn 0.75
// wide because the demo stretches them over the 4:3 screen.

#include <memory>

#include "asset.h"
#include "type_card.h"

namespace nimra::bake {

namespace {

constexpr int cardSize = 512;
constexpr double cardSquash = 0.75;

const cColour cream = rgb(0xFFF6E6);
const cColour warmCream = rgb(0xFFD9A0);
const cColour amber = rgb(0xFFB347);
const cColour copper = rgb(0xF08A3C);

struct cWordCard {
    const char* file;
    const char* text;
    double centreY = 0.5;  // of the card's height, from the top
};

const cWordCard wordCards[] = {
    {"i.png", "I"},
    {"grew.png", "grew"},
    {"up.png", "up"},
    {"listening.png", "listening"},
    {"to.png", "to"},
    // These two show together for a second: stacked, they read "a lot / of" instead of
    // printing over each other.
    {"alot.png", "a lot", 0.39},
    {"of.png", "of", 0.61},
    {"jazz.png", "jazz"},
    {"and.png", "and"},
    {"funk.png", "funk"},
    {"and2.png", "and"},
    {"wanted.png", "wanted"},
    {"tobe.png", "to be"},
    {"apart.png", "a part"},
    {"ofthat.png", "of that"},
    {"movement.png", "movement"},
    {"in.png", "in"},
    {"another.png", "another"},
    {"way.png", "way"},
    {"instead.png", "instead"},
    {"just.png", "just"},
    {"listener.png", "listener"},
};

// The words that carry the sentence get the warm colour.
bool isKeyWord(const std::string& text) {
    return text == "jazz" || text == "funk" || text == "movement" || text == "listener";
}

void makeWordCard(const std::string& path, const std::string& text, double centreY) {
    cFont font(displayFontPath);
    cImage image(cardSize, cardSize);
    cTypeBlock block;
    const bool key = isKeyWord(text);
    block.lines.push_back(
        {text, &font, cardSize / 5.0, key ? rgb(0xFFE2A8) : cream, key ? copper : warmCream, 0.01});
    block.centreX = cardSize / 2.0;
    block.centreY = cardSize * centreY;
    block.maxWidth = cardSize * 0.9;
    block.squashX = cardSquash;
    paintBlock(image, block);
    image.writePng(path, true);
}

// A slide card line: a small spaced-out role label, a large name, or a line of text.
enum class eLine { role, title, name, text };

struct cSlideLine {
    eLine kind;
    const char* text;
};

// Where a card's content sits: pairs that rest on the same spot share the card between
// them, one above the middle and one below (higher still when the upper one carries a
// label on top).
enum class ePlace { centre, upper, upperLabelled, lower };

struct cSlideCard {
    const char* file;
    ePlace place;
    std::vector<cSlideLine> lines;
};

const std::vector<cSlideCard>& slideCards() {
    static const std::vector<cSlideCard> cards = {
        {"slide01.png",
         ePlace::centre,
         {{eLine::title, "nimra"}, {eLine::text, "a real-time jazz-funk demo"}}},
        {"slide02.png",
         ePlace::centre,
         {{eLine::role, "music"}, {eLine::name, "slow harbour"}, {eLine::text, "by tromblo"}}},
        {"slide03.png",
         ePlace::centre,
         {{eLine::role, "code"},
          {eLine::name, "the nimra engine"},
          {eLine::text, "C++ \xC2\xB7 OpenGL 2.1 \xC2\xB7 GLSL"}}},
        {"slide04.png",
         ePlace::centre,
         {{eLine::role, "pictures, meshes, music"},
          {eLine::name, "baked from code"},
          {eLine::text, "not one pixel drawn by hand"}}},
        {"slide05.png", ePlace::upper, {{eLine::role, "greetings"}, {eLine::name, "to everyone"}}},
        {"slide06.png", ePlace::lower, {{eLine::name, "who still"}, {eLine::name, "makes demos"}}},
        {"slide07.png", ePlace::upper, {{eLine::role, "hello to"}, {eLine::name, "the coders"}}},
        {"slide08.png",
         ePlace::lower,
         {{eLine::name, "the musicians"}, {eLine::text, "and the pixel pushers"}}},
        {"slide09.png",
         ePlace::centre,
         {{eLine::role, "respect to"},
          {eLine::name, "the organisers"},
          {eLine::text, "who keep the parties going"}}},
        {"slide10.png",
         ePlace::centre,
         {{eLine::role, "made with"},
          {eLine::name, "SDL \xC2\xB7 GLEW \xC2\xB7 DevIL"},
          {eLine::text, "mpg123 \xC2\xB7 KissFFT"}}},
        {"slide11.png",
         ePlace::centre,
         {{eLine::role, "baked with"},
          {eLine::name, "FluidSynth \xC2\xB7 LAME"},
          {eLine::text, "FreeType \xC2\xB7 libpng"}}},
        {"slide12.png",
         ePlace::centre,
         {{eLine::role, "thanks to"},
          {eLine::name, "the jazz and funk"},
          {eLine::name, "players who came first"}}},
        {"slide13.png",
         ePlace::centre,
         {{eLine::role, "thanks to"},
          {eLine::name, "the archivists"},
          {eLine::text, "who keep every demo running"}}},
        {"slide14.png",
         ePlace::centre,
         {{eLine::role, "turn it up"},
          {eLine::name, "the speakers"},
          {eLine::text, "are about to smoke"}}},
        // The last pair rests on one spot: the label rides on top of the upper card, so
        // nothing sits between the two halves of the sentence.
        {"slide15.png",
         ePlace::upperLabelled,
         {{eLine::role, "from nimra"}, {eLine::name, "thanks for"}, {eLine::name, "watching"}}},
        {"slide16.png", ePlace::lower, {{eLine::name, "see you at"}, {eLine::name, "the next party"}}},
        {"slide17.png",
         ePlace::centre,
         {{eLine::role, "greetings"}, {eLine::name, "the tracker crowd"}}},
        {"slide18.png",
         ePlace::centre,
         {{eLine::role, "greetings"}, {eLine::name, "the shader tinkerers"}}},
        {"slide19.png",
         ePlace::centre,
         {{eLine::role, "greetings"}, {eLine::name, "the 4k and 64k wizards"}}},
        {"slide20.png",
         ePlace::centre,
         {{eLine::role, "greetings"}, {eLine::name, "the party regulars"}}},
    };
    return cards;
}

void makeSlideCard(const std::string& path, const cSlideCard& card) {
    cFont display(displayFontPath), text(textFontPath), label(textBoldFontPath);
    cImage image(cardSize, cardSize);
    cTypeBlock block;
    for (const cSlideLine& line : card.lines) {
        switch (line.kind) {
            case eLine::role:
                block.lines.push_back({std::string(line.text), &label, 21, amber, copper, 0.22});
                break;
            case eLine::title:
                block.lines.push_back({line.text, &display, 118, cream, warmCream, 0.02});
                break;
            case eLine::name:
                block.lines.push_back({line.text, &display, 54, cream, warmCream, 0.01});
                break;
            case eLine::text:
                block.lines.push_back({line.text, &text, 25, cream, rgb(0xF3E3CC), 0.01});
                break;
        }
        if (block.lines.size() > 1) block.lines.back().gapAbove = 4;
    }
    // Role labels read as capitals.
    for (cTypeLine& line : block.lines)
        if (line.font == &label)
            for (char& c : line.text)
                c = char(std::toupper(static_cast<unsigned char>(c)));
    block.centreX = cardSize / 2.0;
    block.centreY = card.place == ePlace::upper           ? cardSize * 0.34
                    : card.place == ePlace::upperLabelled ? cardSize * 0.3
                    : card.place == ePlace::lower         ? cardSize * 0.68
                                                          : cardSize / 2.0;
    block.maxWidth = cardSize * 0.68;  // the middle 80%, shadow included
    block.squashX = cardSquash;
    block.lineGap = 0.45;
    cTypeStyle style;
    style.shadowBlur = 0.14;
    paintBlock(image, block, style);
    image.writePng(path, true);
}

}  // namespace

void addCardAssets(std::vector<cAsset>& assets) {
    for (const cWordCard& card : wordCards) {
        const std::string text = card.text;
        const double centreY = card.centreY;
        assets.push_back(
            {card.file,
             imageSources({"cards.cpp", "type_card.cpp", "type_card.h"}),
             {displayFontPath},
             text,
             [text, centreY](const std::string& path) { makeWordCard(path, text, centreY); },
             1});
    }
    for (const cSlideCard& card : slideCards()) {
        const cSlideCard* c = &card;
        assets.push_back({card.file,
                          imageSources({"cards.cpp", "type_card.cpp", "type_card.h"}),
                          {displayFontPath, textFontPath, textBoldFontPath},
                          "",
                          [c](const std::string& path) { makeSlideCard(path, *c); },
                          1});
    }
}

}  // namespace nimra::bake
