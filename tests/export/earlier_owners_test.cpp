// What an earlier listing, read as untrusted text, says of the numbered names, and the seal that
// says whether to believe it.
#include "export/earlier_owners.h"

#include <gtest/gtest.h>

#include "export/listing_seal.h"
#include "export/listing_writer.h"
#include "support/fake_platform.h"
#include "support/faulty_platform.h"

namespace murel {
namespace {

constexpr const char* kListing = "C:\\out\\urls.txt";
constexpr const char* kPrefix = "C:\\out\\longurls\\";

TEST(EarlierOwners, TakesOnlyWholeLinesWithOneOwner) {
  FakePlatform platform;
  // A line longer than a block of the reading.
  const std::string longName = "C:\\out\\longurls\\6" + std::string(100000, 'x');
  const std::string text =
      "http://a/1\tC:\\out\\longurls\\0.js\r\n"           // taken
      "http://a/2\tC:\\OUT\\LONGURLS\\1\r\n"              // taken, in any case
      "http://a/3\tC:\\out\\longurls\\2\r\n"              // named twice: no owner
      "http://a/4\tC:\\out\\longurls\\2\r\n"              //
      "http://a/5\tx\tC:\\out\\longurls\\3\r\n"           // two tabs: no line of a run
      "http://a/6\tC:\\out\\http\\a\\6\r\n"               // not a numbered name
      "http://a/7\r\n"                                    // a listing of "-l"
      "http://a/8\nhttp://a/9\tC:\\out\\longurls\\4\r\n"  // a bare LF stays in the line
      "http://a/11\t" +
      longName +
      "\r\n"
      "http://a/10\tC:\\out\\longurls\\5";  // cut short
  platform.AddFile(kListing, text);
  const EarlierOwners owners = EarlierOwners::Read(platform, kListing, kPrefix);
  ASSERT_TRUE(owners.Found());
  EXPECT_EQ(owners.Size(), text.size());
  EXPECT_TRUE(owners.Holds("C:\\out\\longurls\\0.js", "http://a/1"));
  EXPECT_FALSE(owners.Holds("C:\\out\\longurls\\0.js", "http://a/2"));
  EXPECT_TRUE(owners.Holds("c:\\out\\longurls\\1", "http://a/2"));
  EXPECT_FALSE(owners.Holds("C:\\out\\longurls\\2", "http://a/3"));
  EXPECT_FALSE(owners.Holds("C:\\out\\longurls\\2", "http://a/4"));
  EXPECT_FALSE(owners.Holds("C:\\out\\longurls\\3", "x"));
  EXPECT_FALSE(owners.Holds("C:\\out\\http\\a\\6", "http://a/6"));
  EXPECT_FALSE(owners.Holds("C:\\out\\longurls\\4", "http://a/9"));
  EXPECT_FALSE(owners.Holds("C:\\out\\longurls\\5", "http://a/10"));
  EXPECT_TRUE(owners.Holds(longName, "http://a/11"));

  FaultyPlatform faulty(platform);
  faulty.FailOn(FaultyPlatform::Op::kReadFile, kListing);
  EXPECT_FALSE(EarlierOwners::Read(faulty, kListing, kPrefix).Found());
  EXPECT_FALSE(EarlierOwners::Read(platform, "C:\\none\\urls.txt", kPrefix).Found());
}

TEST(EarlierOwners, HashesTheListingAsItsWriterDid) {
  // The writer hashes what it hands on in blocks, the reading hashes what it reads in blocks of
  // another size: a listing of several blocks must come out with one hash, or no seal would ever
  // vouch for it on the next run.
  FakePlatform platform;
  platform.AddDirectory("C:\\out");
  std::unique_ptr<ListingWriter> writer = ListingWriter::Open(platform, kListing);
  ASSERT_NE(writer, nullptr);
  for (int line = 0; line < 5000; ++line) {
    writer->WriteLine({"http://a/" + std::to_string(line),
                       "C:\\out\\longurls\\" + std::to_string(line) + std::string(line % 40, 'x')});
  }
  ASSERT_TRUE(writer->Close());
  const EarlierOwners owners = EarlierOwners::Read(platform, kListing, kPrefix);
  ASSERT_TRUE(owners.Found());
  EXPECT_GT(owners.Size(), std::uint64_t{3} << 16);
  EXPECT_EQ(owners.Size(), writer->Size());
  EXPECT_EQ(owners.Hash().Value(), writer->Hash().Value());
  EXPECT_TRUE(owners.Holds("C:\\out\\longurls\\4999" + std::string(39, 'x'), "http://a/4999"));
}

TEST(ListingSeal, VouchesOnlyForTheListingItWasSetFor) {
  FakePlatform platform;
  platform.AddDirectory("C:\\own");
  ListingHash listing;
  listing.Add("http://a/1\tC:\\out\\longurls\\0\r\n");
  ListingHash other;
  other.Add("http://a/2\tC:\\out\\longurls\\0\r\n");
  ListingSeal seal(platform, "C:\\own\\seal");
  EXPECT_FALSE(seal.Vouches(30, listing));
  seal.Set(30, listing);
  EXPECT_TRUE(ListingSeal(platform, "C:\\own\\seal").Vouches(30, listing));
  EXPECT_FALSE(seal.Vouches(31, listing));
  EXPECT_FALSE(seal.Vouches(30, other));
  EXPECT_TRUE(seal.Break());
  EXPECT_FALSE(seal.Vouches(30, listing));

  // A seal that cannot be written, or removed, is not there, or says so.
  FaultyPlatform faulty(platform);
  faulty.FailOn(FaultyPlatform::Op::kCommitBody);
  ListingSeal failingSeal(faulty, "C:\\own\\seal");
  failingSeal.Set(30, listing);
  EXPECT_FALSE(failingSeal.Vouches(30, listing));
  platform.AddFile("C:\\own\\stuck\\seal", "murel listing seal 1\t0\t0\n");
  faulty.FailOn(FaultyPlatform::Op::kRemoveFile);
  EXPECT_FALSE(ListingSeal(faulty, "C:\\own\\stuck\\seal").Break());
  EXPECT_FALSE(ListingSeal(platform, "").Vouches(0, ListingHash()));
}

}  // namespace
}  // namespace murel
