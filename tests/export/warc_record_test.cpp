#include "export/warc_record.h"

#include <gtest/gtest.h>

#include <string>

#include "export/sha1_digest.h"
#include "export/warc_writer.h"
#include "support/fake_platform.h"
#include "support/local_entry.h"

namespace murel {
namespace {

std::string Label(const std::string& bytes) {
  Sha1Digest digest;
  digest.Add(bytes.data(), bytes.size());
  return WarcDigestLabel(digest.Finish());
}

TEST(WarcDigest, IsBase32OfSha1AndCoversPiecesAsOne) {
  // An empty body has a digest too: that of no bytes.
  EXPECT_EQ(Label(""), "sha1:3I42H3S6NNFQ2MSVX7XZKYAYSCX5QBYJ");
  EXPECT_EQ(Label("abc"), "sha1:VGMT4NSHA2AWVOR6EVYXQUGCNSONBWE5");
  Sha1Digest pieces;
  pieces.Add("a", 1);
  pieces.Add("bc", 2);
  EXPECT_EQ(WarcDigestLabel(pieces.Finish()), Label("abc"));
  // Finish starts the digest anew.
  EXPECT_EQ(WarcDigestLabel(pieces.Finish()), Label(""));
}

TEST(ArchivedHttpHead, WritesEveryLineEndAsCrLfAndSetsTheLength) {
  const std::string chromium("HTTP/1.1 200 OK\0Content-Type: text/css\0Content-Length: 5\0\0", 58);
  EXPECT_EQ(ArchivedHttpHead(chromium, 3),
            "HTTP/1.1 200 OK\r\nContent-Type: text/css\r\nContent-Length: 3\r\n\r\n");
  // Mixed ends; the chunked coding is gone from a body stored whole; what follows the empty
  // line is not head.
  EXPECT_EQ(ArchivedHttpHead("HTTP/1.1 200 OK\nTRANSFER-encoding : chunked\r\nContent-Encoding: "
                             "gzip\n\nX-After: body",
                             0),
            "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 0\r\n\r\n");
  // A head without its empty line still ends where the text does.
  EXPECT_EQ(ArchivedHttpHead("HTTP/1.0 204 No Content", 0),
            "HTTP/1.0 204 No Content\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(ArchivedHttpHead("HTTP/1.1 200 OK\r\nX-Tab:\ta\r\n", 1),
            "HTTP/1.1 200 OK\r\nX-Tab:\ta\r\nContent-Length: 1\r\n\r\n");
}

TEST(ArchivedHttpHead, RefusesControlBytesAndTextsThatAreNoResponse) {
  EXPECT_FALSE(ArchivedHttpHead("HTTP/1.1 200 OK\r\nX-Bad: a\rWARC/1.1\r\n", 0));
  EXPECT_FALSE(ArchivedHttpHead("HTTP/1.1 200 OK\r\nX-Bad: \x1b[2J\r\n", 0));
  EXPECT_FALSE(ArchivedHttpHead("HTTP/1.1 200 OK\r\nX-Bad: \x7f\r\n", 0));
  EXPECT_FALSE(ArchivedHttpHead("Content-Type: text/html\r\n", 0));
  EXPECT_FALSE(ArchivedHttpHead("", 0));
}

TEST(WarcFields, DateIdAndMediaType) {
  // 2000-02-29 12:34:56 UTC: 951827696 s after 1970.
  EXPECT_EQ(WarcDate((951827696ull + 11644473600ull) * 10000000ull + 9999999),
            "2000-02-29T12:34:56Z");
  EXPECT_EQ(WarcDate(0), "1970-01-01T00:00:00Z");
  const std::string id = WarcRecordId("run\n1\nhttp://a/");
  ASSERT_EQ(id.size(), 47u);
  EXPECT_EQ(id.substr(0, 10), "<urn:uuid:");
  EXPECT_EQ(id[24], '5');  // a name-based id
  EXPECT_NE(id, WarcRecordId("run\n2\nhttp://a/"));
  EXPECT_EQ(MediaTypeOfName("C:\\cache\\A1\\style[1].CSS"), "text/css");
  EXPECT_EQ(MediaTypeOfName("C:\\cache\\a.b\\noext"), "application/octet-stream");
}

class WarcWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.AddDirectory("C:\\out");
    platform.AddFile("C:\\cache\\A1\\page[1].htm", "<p>", 1000);
    writer =
        std::make_unique<WarcWriter>(platform.CreateBodyWriter("C:\\out\\a.warc"), false, "test");
    writer->WriteInfo("a.warc", "software: test\r\n", 0);
  }
  std::string Archive() {
    EXPECT_TRUE(writer->Finish(0));
    return platform.Content("C:\\out\\a.warc").value_or("");
  }
  FakePlatform platform;
  std::unique_ptr<WarcWriter> writer;
};

TEST_F(WarcWriterTest, AnEntryWithoutHeadIsAResourceTypedByItsName) {
  EXPECT_EQ(writer->Add(platform, LocalEntry("http://a/", "C:\\cache\\A1\\page[1].htm")),
            ArchiveOutcome::kWritten);
  EXPECT_EQ(writer->Add(platform, LocalEntry("http://a/b", "C:\\cache\\A1\\gone[1].htm")),
            ArchiveOutcome::kNoContent);
  const std::string archive = Archive();
  EXPECT_NE(archive.find("WARC-Type: resource\r\n"), std::string::npos);
  EXPECT_NE(archive.find("Content-Type: text/html\r\nWARC-Block-Digest: " + Label("<p>") +
                         "\r\nWARC-Payload-Digest: " + Label("<p>") +
                         "\r\nContent-Length: 3\r\n\r\n<p>\r\n\r\n"),
            std::string::npos);
}

TEST_F(WarcWriterTest, AHeadOrUrlWithControlBytesFailsTheEntryAlone) {
  CacheEntry forged = LocalEntry("http://a/", "C:\\cache\\A1\\page[1].htm");
  forged.head = "HTTP/1.1 200 OK\r\nX: \r\rWARC/1.1\r\n";
  EXPECT_EQ(writer->Add(platform, forged), ArchiveOutcome::kFailed);
  EXPECT_EQ(writer->Add(platform, LocalEntry("http://a/\r\nX", "C:\\cache\\A1\\page[1].htm")),
            ArchiveOutcome::kFailed);
  const std::string archive = Archive();
  EXPECT_EQ(archive.find("WARC-Target-URI"), std::string::npos);
}

}  // namespace
}  // namespace murel
