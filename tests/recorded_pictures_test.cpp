// Recorded pictures: one name for each of the eighteen brush modes, and names
// that reach the rare rules of the field. Each has two hashes, the picture as
// it stands before the greeting is printed and the finished picture, so a
// change of the greeting (its text, its font, the text renderer) reads as
// exactly that, apart from a change of the marks.
//
// A failure here means that a name now paints different pixels than it did:
// update a hash only with a commit message that says why the pictures changed.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

namespace painter {
namespace {

using testing::sha256;

struct Recorded {
    const char* name;
    int mode;
    const char* why;       // what the name reaches
    const char* field;     // sha256 of the picture before the greeting
    const char* finished;  // sha256 of the finished picture
};

void PrintTo(const Recorded& c, std::ostream* os) { *os << '"' << c.name << "\" (" << c.why << ')'; }

class RecordedPictureTest : public ::testing::TestWithParam<Recorded> {};

TEST_P(RecordedPictureTest, NamePaintsItsRecordedPicture) {
    const Recorded& c = GetParam();
    Surface beforeGreeting;
    PictureFacts facts;
    facts.beforeGreeting = &beforeGreeting;
    const FirstPicture picture(QString::fromLatin1(c.name), {.facts = &facts});
    EXPECT_EQ(picture.state().nac, c.mode) << '"' << c.name << '"';
    EXPECT_EQ(sha256(beforeGreeting).toStdString(), c.field)
        << '"' << c.name << "\" (" << c.why << "): the marks changed";
    EXPECT_EQ(sha256(picture.surface()).toStdString(), c.finished)
        << '"' << c.name << "\" (" << c.why << "): the finished picture changed";
}

// Names are listed with the formula (tip1), channel recipe (tip2) and mix
// recipe (tip3) they draw, as --describe prints them.
INSTANTIATE_TEST_SUITE_P(BrushModes, RecordedPictureTest,
                         ::testing::Values(Recorded{"bor petek", 1, "mode 1; formula 15, 1, 2",
                                                    "f01819e321da0980e0219c48b16e7f544c818795134eca889f0f39503aaf1899",
                                                    "72d2005bdbdc447845344c753647d1135c6917ce1dff0b4eb05594a8cf1167ac"},
                                           Recorded{"ana kolar", 2, "mode 2; formula 1, 3, 3",
                                                    "a4c9842316cf5d089971b3aacd10e0575d0d3fc33c3f206bb3309fd923cf09ea",
                                                    "88784c98de46628b01095dba7414d38f662368688e2b0e2e68e6cd5b6d53a66e"},
                                           Recorded{"ana kos", 3, "mode 3; formula 9, 1, 1",
                                                    "0633c79e6ea6813734de6662c468320a771396f99609dcbc81b6a275ec740d6c",
                                                    "9c7b282c4ad983bc6e589fd0eb84567a25ee2af99930e6d95a738b42c489ff4d"},
                                           Recorded{"bor krajnc", 4, "mode 4; formula 4, 1, 3",
                                                    "1dc9a60fe4b58753c57b40177a6346109cbf2bc8b271476ccac21a4ca235dd7a",
                                                    "cb8195b05961912189924604eb9711afa4f5ffd9723a904ba00d8bde7f1ff28d"},
                                           Recorded{"eva zupancic", 5, "mode 5; formula 6, 3, 1",
                                                    "08054d358466bf576847ed7ffd552997f67b1f39d687eac829dfeffb82ad9328",
                                                    "559e388ebc34f05a7ed8eb62337e9d55f17520710c5bd6d12a98c22ae880ef07"},
                                           Recorded{"ana horvat", 6, "mode 6; formula 6, 3, 3",
                                                    "fd30e80fb4a49fd8479af0a8ba8c104eb618aa3f4bda718829443b1c1bb76601",
                                                    "ad00d6ed15e7e99a4629666983c492ce53180c4fddfa47b931fa6db2a76adc1b"},
                                           Recorded{"eva kos", 7, "mode 7; formula 13, 3, 2",
                                                    "cf90f537c5a1722b0e39faa0170875603f43b254e5d3f567bfb3051b2a7845f9",
                                                    "c4ece6cabf8b4152118dd8229ccc7b830cb5fa7d0945f1f3e0bc7353624c21c1"},
                                           Recorded{"ana potocnik", 8, "mode 8; formula 6, 3, 1",
                                                    "62ea6ae3fa217d5b59b89013daba9b48fafc43ebebca2351fdd497e715b31e13",
                                                    "f37648ef2038bfb7f27bf795c14ea2a7c3c4e42540bdab57da5de97ad0e5947e"},
                                           Recorded{"ana bizjak", 9, "mode 9; formula 11, 3, 2",
                                                    "5987b23d82055fd02d47334b1a26a28bec2bb4a14868caa6de7a38b3619db2b6",
                                                    "3cf3e9d3a7c158607d6feb5abade7d498b32288da93ac7c4df11a2a5021dc552"},
                                           Recorded{"ana novak", 10, "mode 10; formula 3, 2, 2",
                                                    "5fda382ce4004ee98fbe0474690cfb9b6f04284f255a5d1dbb3733101e0d8742",
                                                    "08c12793b2cd8247ee5ca7947bcad0957707c07c77c23f97d30f155e849bda70"},
                                           Recorded{"bor hribar", 11, "mode 11; formula 14, 2, 4",
                                                    "6428dfc4e8f5eb9b9846fca0660bb41e5be9d9440ef728329e74d1d3fe24308a",
                                                    "f6d29b534afd0a40207d00f8f18b6ac8f45a3872afae4494f858dea50312d96c"},
                                           Recorded{"jan golob", 12, "mode 12; formula 3, 3, 1",
                                                    "dc73d54b48858c5d9d48ab27200c905d9ac380e4f9fef44fc71643ccaae2fe66",
                                                    "305be15954376fb3a7af930cbd2136b6f274515410aeb6e218d9fb214201f1e3"},
                                           Recorded{"ana hribar", 13, "mode 13; formula 2, 2, 4",
                                                    "ca9c81f7034d0d7e3afcb116383fdea131181d56fdd721362720bb32e5df7e21",
                                                    "53d6863becc297cbf616890a37834255e0bfc6d929fb0cca894862c8d03e6a59"},
                                           Recorded{"ana kovac", 14, "mode 14; formula 8, 3, 2",
                                                    "28b75b94b2df4d45b6deadf7945ada2c334b5f5a9c0bce61eaeefece4433638c",
                                                    "1b3ee2f27f9f4406a688c03fa043b5aa4e56d280c2a40fc35ae278304a380747"},
                                           Recorded{"eva zupan", 15, "mode 15; formula 10, 3, 3",
                                                    "d8cadedf87d1aabde77cee695a649f0ce37793a02bfcf0fae3fbd983808e18f8",
                                                    "dc518f424bb2fb0b45c10cff3878735ed4a8bfc52d17b70472c10b6857074a03"},
                                           Recorded{"ana zupan", 16, "mode 16; formula 7, 2, 1",
                                                    "016a14c9caed807943b46c6dbe32f27ca9f9ea60e248c0f64f0661c3e1d38bb9",
                                                    "2bfa76ade7e3c5e3c6b1ded831c9830db1e916e50a064228cd0cc36845c68cb7"},
                                           Recorded{"bor horvat", 17, "mode 17; formula 15, 2, 2",
                                                    "01cb72b437cd3ac8da40fb13a6683da4bf3ff7ddc861dde735fb905b2c80c1ed",
                                                    "4ea8f17716ce353a4d4c44525c871c76bbc9e22789090da64b94f3fc3b8400f0"},
                                           Recorded{
                                               "bor zupan", 18, "mode 18; formula 1, 2, 1",
                                               "f9848d4011bf14796ada8dcb8ce8f0c7074393e2eb878f51a0f7c7c62ba0d461",
                                               "b82339d30a15f0d734935fbf89835384b050a4389f33c24990612e4c18b3367f"}));

// Mode 1 marks only the pixel itself, so these show the field value of every
// pixel; the others reach a rule most names never meet.
INSTANTIATE_TEST_SUITE_P(
    FieldVariants, RecordedPictureTest,
    ::testing::Values(
        Recorded{"bor kolar", 1, "formula 15: column 350 keeps column 349's value",
                 "f01819e321da0980e0219c48b16e7f544c818795134eca889f0f39503aaf1899",
                 "cc4e65a770d351020cb88e801c8f3251951f0a5b425736ce8043a15d242896a6"},
        Recorded{"jan kovac", 2, "formula 11 fails where the pixel is level with the centre",
                 "87210fe2dba2703bbc6d90f9c4f93187d71e83820bd0d9016ba31ec06d299b5e",
                 "3c970d7c2d78c418b7e5012dc5461d60a98b9900e35bd8ed00527112b6aa7354"},
        Recorded{"eva turk", 13, "formula 13 fails where the pixel is level with the centre",
                 "6eb11bc6050e7baab8a7b22c10874b24f412dc634540b0007aa2637d91d91adc",
                 "26ce08910ae99221bf8e967a55fb5b57cb4f1fb9f872c605854bca7add1f36ef"},
        Recorded{"eva horvat", 1, "formula 14 fails where the pixel is level with the centre",
                 "6ca680bb0f6081b3bb0b57512f7af1b60bd7079a1affcb8783a60f8622df7f13",
                 "9c53e58ea55f21fe3964effc9007c8eaf3def75b86a5325285223462346326ac"},
        Recorded{"ana petek", 2, "mix recipe 3 fails where the pixel is on the centre",
                 "a4c9842316cf5d089971b3aacd10e0575d0d3fc33c3f206bb3309fd923cf09ea",
                 "576eebcbd3948bfbe0bb0290035c3d607541a2cd3081a772c442a2dd76672912"},
        Recorded{" ", 17, "a name of one blank", "b740ad732bc43f4cb486ad2f74d2c949d35150e376c1493e0a3f6873e8f9b696",
                 "9b77f253c51a350102d6fc3753666319f01bf978a4b277680d6950c94dc51727"},
        Recorded{"                                                                                                    ",
                 13, "100 blanks; formula 14, 1, 1", "cd53fc96db05160e1c088d447a21f2c86adb2d08f053868f646981d543e75f79",
                 "e80f9fa3cc0f28cc92e8bb90843b1e79feb6f2c72cfe58a27a68e699a0a42aaa"},
        Recorded{"", 12, "the empty name, as a cancelled prompt gives",
                 "4fe089ef132b5625a08c5a356406a00e1bde124d2fb7e8da9f27fd82b26472e0",
                 "b4d57bbcaabf1c8cfe8cb614017b344cad0008d5fd646741e8e02c21b846b128"},
        Recorded{"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuv",
                 1, "100 letters, the longest name; formula 10, 2, 2",
                 "1ebc9631fbd70b1862a775cffd3e0878b76cb89ed7d2937a7ecf7536b675cc0b",
                 "f8643098d65ed7c3eb46d8e0f7e11b46d05691256c486461f3967cad5c1eff5e"}));

// How many random numbers a whole picture draws, from the colour table to the
// last ornament: the brush mode's draws per pixel (none, 1, 20 or 40) and the
// ornament passes. A change here shifts every later draw of the picture.
struct DrawCount {
    const char* name;
    int mode;
    std::uint64_t draws;
};

class RecordedDrawCount : public ::testing::TestWithParam<DrawCount> {};

TEST_P(RecordedDrawCount, WholePictureDrawsItsRecordedNumber) {
    PictureFacts facts;
    const FirstPicture picture(QString::fromLatin1(GetParam().name), {.facts = &facts});
    EXPECT_EQ(picture.state().nac, GetParam().mode);
    EXPECT_EQ(facts.draws, GetParam().draws) << '"' << GetParam().name << '"';
}

INSTANTIATE_TEST_SUITE_P(Names, RecordedDrawCount,
                         ::testing::Values(DrawCount{"bor petek", 1, 716}, DrawCount{"", 12, 792},
                                           DrawCount{"ana horvat", 6, 369656}, DrawCount{"eva zupan", 15, 369502},
                                           DrawCount{"bor zupan", 18, 7375242}, DrawCount{"ana bizjak", 9, 14749748}));

}  // namespace
}  // namespace painter
