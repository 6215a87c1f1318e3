#include "rpc/pdu.h"

#include <gtest/gtest.h>

#include "vector_file.h"

namespace rpc {
namespace {

using testing::fromHex;
using testing::readCapture;

TEST(PduCodec, DecodesEveryCapturedPdu) {
  for (const auto& name : testing::allCaptures()) {
    for (const auto& captured : readCapture(name)) {
      auto pdu = decodePdu(captured.bytes);
      ASSERT_TRUE(pdu) << name << ": " << toString(pdu.error);
      EXPECT_EQ(pdu.value->header.fragLength, captured.bytes.size());
    }
  }
}

TEST(PduCodec, ReadsTheCapturedBindAndRequestFields) {
  auto pdus = readCapture("impacket-objexporter-integrity-ntlmv2.hex");
  auto bind = decodePdu(pdus[0].bytes);
  ASSERT_TRUE(bind);
  const auto& body = std::get<BindBody>(bind.value->body);
  EXPECT_EQ(body.maxXmitFrag, 4280);
  EXPECT_EQ(body.assocGroupId, 0u);
  ASSERT_EQ(body.contexts.size(), 1u);
  EXPECT_EQ(body.contexts[0].abstractSyntax.uuid.toString(), "99fcfec4-5260-101b-bbcb-00aa0021347a");
  ASSERT_EQ(body.contexts[0].transferSyntaxes.size(), 1u);
  EXPECT_EQ(body.contexts[0].transferSyntaxes[0], ndr20Syntax());
  ASSERT_TRUE(bind.value->auth);
  EXPECT_EQ(bind.value->auth->trailer.authType, 10);
  EXPECT_EQ(bind.value->auth->trailer.authLevel, 5);
  EXPECT_EQ(bind.value->auth->trailer.contextId, 79231u);
  EXPECT_EQ(bind.value->auth->value.size(), 32u);

  // ResolveOxid2: an 18-byte stub padded to 20 with two pad bytes.
  auto request = decodePdu(pdus[5].bytes);
  ASSERT_TRUE(request);
  const auto& call = std::get<RequestBody>(request.value->body);
  EXPECT_EQ(call.opnum, 4);
  EXPECT_EQ(request.value->header.callId, 3u);
  EXPECT_EQ(std::vector<uint8_t>(call.stub.begin(), call.stub.end()), pdus[5].plainStub);
  EXPECT_EQ(request.value->stubAndPadLength, 20u);
  EXPECT_EQ(request.value->auth->trailer.padLength, 2);
}

TEST(PduCodec, ReencodesTheResponderPdusByteForByte) {
  // The recorder's PDUs are in the form this encoder writes (zero padding to 16
  // bytes), so decoding and encoding them again must reproduce every byte;
  // sealed PDUs are left out because their pad is not zero on the wire.
  for (const auto& name : testing::allCaptures()) {
    if (name.find("privacy") != std::string::npos) continue;
    for (const auto& captured : readCapture(name)) {
      if (captured.fromClient) continue;
      auto pdu = decodePdu(captured.bytes);
      ASSERT_TRUE(pdu);
      std::optional<VerifierSpec> verifier;
      if (pdu.value->auth) verifier = VerifierSpec{pdu.value->auth->trailer, pdu.value->auth->value, 0};
      EXPECT_EQ(encodePdu(pdu.value->header, pdu.value->body, verifier), captured.bytes) << name;
    }
  }
}

TEST(PduCodec, EveryTruncationOfACapturedPduIsAnError) {
  for (const auto& name : testing::allCaptures()) {
    for (const auto& captured : readCapture(name)) {
      for (size_t length = 0; length < captured.bytes.size(); ++length) {
        std::span<const uint8_t> prefix(captured.bytes.data(), length);
        EXPECT_FALSE(decodePdu(prefix)) << name << " at " << length;
        // The same prefix claiming to be whole must never read past its end.
        if (length >= kHeaderSize) {
          std::vector<uint8_t> shortened(prefix.begin(), prefix.end());
          shortened[8] = static_cast<uint8_t>(length);
          shortened[9] = static_cast<uint8_t>(length >> 8);
          (void)decodePdu(shortened);
        }
      }
    }
  }
}

TEST(PduCodec, RejectsMalformedPdus) {
  const std::string bind =
      "05000b03100000004800000001000000b810b810000000000100000000000100c4fefc9960521b10bbcb00aa0021347a"
      "00000000045d888aeb1cc9119fe808002b10486002000000";
  struct Case {
    const char* what;
    std::string hex;
    DecodeError error;
  };
  const Case cases[] = {
      {"header cut short", "05000b031000", DecodeError::Truncated},
      {"version 4", "04000b03100000001000000001000000", DecodeError::BadVersion},
      {"minor version 2", "05020b03100000001000000001000000", DecodeError::BadVersion},
      {"big-endian data", "05000b03000000001000000001000000", DecodeError::UnsupportedDataRepresentation},
      {"connectionless type", "05000103100000001000000001000000", DecodeError::UnknownType},
      {"frag_length below the header", "05001103100000000f00000001000000", DecodeError::BadFragmentLength},
      {"frag_length beyond the bytes", "05001103100000001400000001000000", DecodeError::Truncated},
      {"auth_length beyond the PDU", "05000003100000002000100001000000" "0000000000000000" "0000000000000000",
       DecodeError::BadAuthLength},
      {"auth pad longer than the stub",
       "05000003100000003000100001000000" "0000000000000000" "0a05ff0000000000" "00000000000000000000000000000000",
       DecodeError::BadAuthLength},
      {"request without its fixed fields", "050000031000000014000000010000000000", DecodeError::BadBody},
      {"object flag without the object", "050000831000000018000000010000000000000000000000",
       DecodeError::BadBody},
      {"bind with more contexts than bytes", bind.substr(0, 48) + "05" + bind.substr(50), DecodeError::BadBody},
      {"bind with 255 transfer syntaxes", bind.substr(0, 60) + "ff" + bind.substr(62), DecodeError::BadBody},
      {"bind_ack address longer than the PDU",
       "05000c03100000002000000001000000b810b81034120000ff00313335", DecodeError::Truncated},
      {"fault without its status", "05000303100000001800000001000000" "0000000000000000", DecodeError::BadBody},
  };
  for (const auto& c : cases) {
    auto bytes = fromHex(c.hex);
    // Cases that are not about the length keep frag_length consistent.
    if (c.error != DecodeError::Truncated && c.error != DecodeError::BadFragmentLength &&
        bytes.size() >= kHeaderSize) {
      bytes[8] = static_cast<uint8_t>(bytes.size());
      bytes[9] = static_cast<uint8_t>(bytes.size() >> 8);
    }
    auto pdu = decodePdu(bytes);
    EXPECT_FALSE(pdu) << c.what;
    if (!pdu) {
      EXPECT_EQ(pdu.error, c.error) << c.what << ": " << toString(pdu.error);
    }
  }
}

TEST(PduCodec, PadsAuthenticatedStubsTo16BytesAndReportsTheLayout) {
  Header header;
  header.type = PduType::Request;
  header.callId = 9;
  std::vector<uint8_t> stub(18, 0x5a);
  RequestBody request;
  request.contextId = 1;
  request.opnum = 3;
  request.object = Uuid::parse("00000400-1111-2222-3333-444455556666");
  request.stub = stub;
  VerifierSpec verifier{SecTrailer{10, 6, 0, 0, 7}, {}, 16};
  ProtectionLayout layout;
  auto bytes = encodePdu(header, request, verifier, &layout);

  EXPECT_EQ(bytes[3] & pfc::kObjectUuid, pfc::kObjectUuid);
  EXPECT_EQ(layout.stubOffset, 40u);
  EXPECT_EQ(layout.stubAndPadLength, 32u);
  EXPECT_EQ(layout.trailerOffset, 72u);
  EXPECT_EQ(layout.signatureOffset, 80u);
  EXPECT_EQ(bytes.size(), 96u);

  auto decoded = decodePdu(bytes);
  ASSERT_TRUE(decoded);
  const auto& body = std::get<RequestBody>(decoded.value->body);
  EXPECT_EQ(body.object, request.object);
  EXPECT_EQ(std::vector<uint8_t>(body.stub.begin(), body.stub.end()), stub);
  EXPECT_EQ(decoded.value->auth->trailer.padLength, 14);
  EXPECT_EQ(decoded.value->auth->trailer.contextId, 7u);
}

TEST(PduCodec, RoundTripsBindNakAndAlterContextResponse) {
  Header nakHeader;
  nakHeader.type = PduType::BindNak;
  BindNakBody nak{BindNakReason::ProtocolVersionNotSupported, {{5, 0}, {5, 1}}};
  auto nakPdu = decodePdu(encodePdu(nakHeader, nak));
  ASSERT_TRUE(nakPdu);
  const auto& nakBody = std::get<BindNakBody>(nakPdu.value->body);
  EXPECT_EQ(nakBody.reason, BindNakReason::ProtocolVersionNotSupported);
  EXPECT_EQ(nakBody.versions.size(), 2u);

  // alter_context_resp carries no secondary address, only its empty length.
  Header alterHeader;
  alterHeader.type = PduType::AlterContextResponse;
  BindAckBody ack{4280, 4280, 0x1234, "ignored", {{ContextResultCode::Acceptance, 0, ndr20Syntax()}}};
  auto bytes = encodePdu(alterHeader, ack);
  EXPECT_EQ(bytes[24], 0);
  EXPECT_EQ(bytes[25], 0);
  auto alter = decodePdu(bytes);
  ASSERT_TRUE(alter);
  const auto& alterBody = std::get<BindAckBody>(alter.value->body);
  EXPECT_EQ(alterBody.secondaryAddress, "");
  ASSERT_EQ(alterBody.results.size(), 1u);
  EXPECT_EQ(alterBody.results[0].transferSyntax, ndr20Syntax());
}

TEST(Uuid, ParsesAndPrintsInWireOrder) {
  auto uuid = Uuid::parse("{99FCFEC4-5260-101B-BBCB-00AA0021347A}");
  ASSERT_TRUE(uuid);
  EXPECT_EQ(std::vector<uint8_t>(uuid->bytes.begin(), uuid->bytes.end()),
            fromHex("c4fefc9960521b10bbcb00aa0021347a"));
  EXPECT_EQ(uuid->toString(), "99fcfec4-5260-101b-bbcb-00aa0021347a");
  for (const char* bad : {"", "99fcfec4-5260-101b-bbcb-00aa0021347", "99fcfec4x5260-101b-bbcb-00aa0021347a",
                          "g9fcfec4-5260-101b-bbcb-00aa0021347a"}) {
    EXPECT_FALSE(Uuid::parse(bad)) << bad;
  }
}

}  // namespace
}  // namespace rpc
