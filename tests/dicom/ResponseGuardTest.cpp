// What the connection lets DCMTK read: whole messages whose every length
// holds, checked the way DCMTK will read them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WireBytes.h"
#include "dicom/ResponseGuard.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcuid.h"

namespace {

void tag(Bytes& to, std::uint16_t group, std::uint16_t element)
{
    put16(to, group);
    put16(to, element);
}

// Element, item and delimiter headers: implicit VR, explicit VR with a short
// or a long length field.
Bytes implicitHeader(std::uint16_t group, std::uint16_t element, std::uint32_t length)
{
    Bytes bytes;
    tag(bytes, group, element);
    put32(bytes, length);
    return bytes;
}

Bytes explicitHeader(std::uint16_t group, std::uint16_t element, const char* vr, std::uint32_t length, bool longForm)
{
    Bytes bytes;
    tag(bytes, group, element);
    bytes.push_back(static_cast<unsigned char>(vr[0]));
    bytes.push_back(static_cast<unsigned char>(vr[1]));
    if (longForm) {
        put16(bytes, 0);
        put32(bytes, length);
    } else {
        put16(bytes, static_cast<std::uint16_t>(length));
    }
    return bytes;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

const Bytes kItemStart = implicitHeader(0xFFFE, 0xE000, 0xFFFFFFFF);
const Bytes kItemEnd = implicitHeader(0xFFFE, 0xE00D, 0);
const Bytes kSequenceEnd = implicitHeader(0xFFFE, 0xE0DD, 0);

// A film box's attributes as DCMTK writes them, with sequences nested.
Bytes written(bool explicitVR, E_EncodingType lengths)
{
    DcmDataset box;
    box.putAndInsertString(DCM_ImageDisplayFormat, "STANDARD\\1,1");
    DcmItem* session = nullptr;
    box.findOrCreateSequenceItem(DCM_ReferencedFilmSessionSequence, session);
    session->putAndInsertString(DCM_ReferencedSOPClassUID, UID_BasicFilmSessionSOPClass);
    session->putAndInsertString(DCM_ReferencedSOPInstanceUID, "1.2.3.4");
    DcmItem* image = nullptr;
    box.findOrCreateSequenceItem(DCM_BasicGrayscaleImageSequence, image);
    const Uint8 pixels[16] = {};
    image->putAndInsertUint8Array(DCM_PixelData, pixels, sizeof pixels);
    DcmItem* nested = nullptr;
    image->findOrCreateSequenceItem(DCM_ReferencedImageSequence, nested);
    nested->putAndInsertString(DCM_ReferencedSOPInstanceUID, "1.2.3.5");
    TempDir folder;
    const std::string path = folder.file("box.dcm");
    EXPECT_TRUE(
        box.saveFile(path.c_str(), explicitVR ? EXS_LittleEndianExplicit : EXS_LittleEndianImplicit, lengths).good());
    const std::string bytes = readBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

std::string check(const Bytes& bytes, bool explicitVR)
{
    return checkElementLengths(bytes.data(), bytes.size(), explicitVR);
}

// A P-DATA-TF PDU with one fragment on context 1.
Bytes pData(bool command, bool last, const Bytes& fragment, unsigned char context = 1)
{
    Bytes pdu{0x04, 0};
    for (std::uint32_t length : {std::uint32_t(fragment.size() + 6), std::uint32_t(fragment.size() + 2)})
        for (int shift = 24; shift >= 0; shift -= 8)
            pdu.push_back(static_cast<unsigned char>(length >> shift));
    pdu.push_back(context);
    pdu.push_back(static_cast<unsigned char>((command ? 1 : 0) | (last ? 2 : 0)));
    pdu.insert(pdu.end(), fragment.begin(), fragment.end());
    return pdu;
}

Bytes given(ResponseGuard& guard)
{
    Bytes bytes(guard.ready());
    guard.give(bytes.data(), bytes.size());
    return bytes;
}

} // namespace

TEST(ResponseGuard, WhatDcmtkWritesHoldsInEveryEncoding)
{
    for (bool explicitVR : {true, false})
        for (E_EncodingType lengths : {EET_ExplicitLength, EET_UndefinedLength}) {
            SCOPED_TRACE(std::string(explicitVR ? "explicit" : "implicit") +
                         (lengths == EET_ExplicitLength ? ", defined lengths" : ", undefined lengths"));
            const Bytes bytes = written(explicitVR, lengths);
            ASSERT_GT(bytes.size(), 100u);
            EXPECT_EQ(check(bytes, explicitVR), "");
            // Cut short anywhere, it no longer holds.
            for (std::size_t size : {bytes.size() - 1, bytes.size() / 2, std::size_t{5}})
                EXPECT_NE(check(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(size)), explicitVR), "");
        }
}

TEST(ResponseGuard, EveryDeclaredLengthMustFitWhatFollows)
{
    const Bytes status = {'N', 'O', 'R', 'M', 'A', 'L'};
    struct Row {
        const char* name;
        Bytes bytes;
        bool explicitVR;
        const char* problem; // empty: it holds
    };
    const Row rows[] = {
        {"implicit, fits", join({implicitHeader(0x2110, 0x0010, 6), status}), false, ""},
        {"implicit, 0xFFFFFFF0 bytes", join({implicitHeader(0x2110, 0x0010, 0xFFFFFFF0), status}), false,
         "the server's response declares an element (2110,0010) of 4294967280 bytes, more than the 64 MiB a "
         "response may hold"},
        {"explicit short form, too long", join({explicitHeader(0x2110, 0x0010, "CS", 8, false), status}), true,
         "the server's response declares an element (2110,0010) of 8 bytes where only 6 follow"},
        {"explicit long form, too long", join({explicitHeader(0x0029, 0x1010, "OB", 7, true), status}), true,
         "the server's response declares an element (0029,1010) of 7 bytes where only 6 follow"},
        {"item longer than its sequence",
         join({explicitHeader(0x2010, 0x0500, "SQ", 16, true), implicitHeader(0xFFFE, 0xE000, 9),
               implicitHeader(0x0008, 0x1150, 0)}),
         true, "the server's response declares an item (FFFE,E000) of 9 bytes where only 8 follow"},
        {"element longer than its item, in a sequence of undefined length",
         join({implicitHeader(0x2010, 0x0500, 0xFFFFFFFF), kItemStart, implicitHeader(0x0008, 0x1150, 0x10000000),
               kItemEnd, kSequenceEnd}),
         false,
         "the server's response declares an element (0008,1150) of 268435456 bytes, more than the 64 MiB a "
         "response may hold"},
        // Pixel data fragments are values: what they hold is not read as elements.
        {"encapsulated pixel data",
         join({explicitHeader(0x7FE0, 0x0010, "OB", 0xFFFFFFFF, true), implicitHeader(0xFFFE, 0xE000, 8),
               implicitHeader(0x0010, 0x0010, 0xFFFFFFF0), kSequenceEnd}),
         true, ""},
        // A value of unknown VR and undefined length is a sequence in implicit VR.
        {"UN of undefined length",
         join({explicitHeader(0x0029, 0x1010, "UN", 0xFFFFFFFF, true), kItemStart,
               implicitHeader(0x0029, 0x0010, 0xFFFFFFF0), kItemEnd, kSequenceEnd}),
         true,
         "the server's response declares an element (0029,0010) of 4294967280 bytes, more than the 64 MiB a "
         "response may hold"},
        {"no delimitation item", join({implicitHeader(0x2010, 0x0500, 0xFFFFFFFF), kItemStart}), false,
         "the server's response ends inside an element"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(check(row.bytes, row.explicitVR), row.problem);
    }
    // Sequences nested past the bound.
    Bytes deep;
    for (int level = 0; level < kMaxResponseNesting; ++level)
        deep = join({deep, implicitHeader(0x2010, 0x0500, 0xFFFFFFFF), kItemStart});
    EXPECT_EQ(check(deep, false), "the server's response nests sequences deeper than 32 levels");
}

TEST(ResponseGuard, AMessageReachesDcmtkOnlyWholeAndChecked)
{
    std::map<unsigned char, bool> contexts;
    ResponseGuard guard(contexts);
    const Bytes command = implicitHeader(0x0000, 0x0100, 2);
    const Bytes first = pData(true, false, command);
    const Bytes last = pData(true, true, {0x30, 0x80});
    EXPECT_TRUE(guard.take(first.data(), first.size()));
    EXPECT_EQ(guard.ready(), 0u);
    EXPECT_TRUE(guard.take(last.data(), last.size()));
    EXPECT_EQ(given(guard), join({first, last}));

    // An abort in the middle of a message goes on; the message goes.
    const Bytes abort = {0x07, 0, 0, 0, 0, 4, 0, 0, 0, 0};
    EXPECT_TRUE(guard.take(first.data(), first.size()));
    EXPECT_TRUE(guard.take(abort.data(), abort.size()));
    EXPECT_EQ(given(guard), abort);

    // A data set is checked in its context's syntax once DCMTK reads that
    // far: the association's answer comes first, then the context is known.
    const Bytes answer = {0x02, 0, 0, 0, 0, 2, 0x00, 0x01};
    const Bytes data = pData(false, true, join({implicitHeader(0x2110, 0x0010, 2), {'O', 'K'}}));
    const Bytes both = join({answer, data});
    EXPECT_TRUE(guard.take(both.data(), both.size()));
    EXPECT_EQ(given(guard), answer);
    contexts[1] = false;
    EXPECT_TRUE(guard.process());
    EXPECT_EQ(given(guard), data);

    // On a context the association does not have, it is refused.
    const Bytes stray = pData(false, true, {}, 3);
    EXPECT_FALSE(guard.take(stray.data(), stray.size()));
    EXPECT_EQ(guard.refusal(),
              "the server sent a data set on presentation context 3, which the association does not have");
}

TEST(ResponseGuard, NoPduNorMessageBeyondTheBound)
{
    std::map<unsigned char, bool> contexts{{1, false}};
    ResponseGuard pdu(contexts);
    const Bytes huge = {0x04, 0, 0x04, 0, 0, 1};
    EXPECT_FALSE(pdu.take(huge.data(), huge.size()));
    EXPECT_EQ(pdu.refusal(), "the server sent a PDU of 67108865 bytes, more than the 64 MiB a response may hold");

    // Fragments without end: refused once they would hold more than the bound.
    ResponseGuard message(contexts);
    const Bytes fragment = pData(false, false, Bytes(16384 - 12, 0));
    std::size_t taken = 0;
    while (message.take(fragment.data(), fragment.size()))
        taken += fragment.size();
    EXPECT_EQ(message.ready(), 0u);
    EXPECT_LE(taken, kMaxResponseBytes);
    EXPECT_GT(taken + 2 * fragment.size(), kMaxResponseBytes);
    EXPECT_EQ(message.refusal(), "the server's response is larger than the 64 MiB a response may hold");
}
