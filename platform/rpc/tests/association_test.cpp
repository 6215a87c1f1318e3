#include "association.h"

#include <gtest/gtest.h>

#include <map>

#include "test_client.h"
#include "vector_file.h"

namespace rpc::detail {
namespace {

using testing::TestClient;
using testing::context;

const char* const kExporter = "99fcfec4-5260-101b-bbcb-00aa0021347a";
const char* const kActivator = "000001a0-0000-0000-c000-000000000046";
const char* const kActivation = "4d9f4ab8-7d1c-11cf-861e-0020af6e7c57";

// Answers each opnum with a fixed stub (or fault), and echoes opnum 9.
class FixedHandler : public InterfaceHandler {
public:
  std::map<uint16_t, CallResult> answers;
  CallResult call(const CallContext& context, std::span<const uint8_t> stub) override {
    last = context;
    if (context.opnum == 9) return CallResult::response({stub.begin(), stub.end()});
    auto found = answers.find(context.opnum);
    return found != answers.end() ? found->second : CallResult::fault(kFaultOpRangeError);
  }
  CallContext last;
};

struct Fixture {
  Environment environment;
  AssociationGroups groups;
  std::shared_ptr<FixedHandler> handler = std::make_shared<FixedHandler>();
  std::map<SyntaxId, std::shared_ptr<InterfaceHandler>> interfaces;
  std::vector<std::string> logLines;

  explicit Fixture(AuthLevel minimum = AuthLevel::PacketIntegrity) {
    environment.settings.minimumLevel = minimum;
    environment.groups = &groups;
    environment.resolve = [this](const SyntaxId& syntax) -> std::shared_ptr<InterfaceHandler> {
      auto found = interfaces.find(syntax);
      return found == interfaces.end() ? nullptr : found->second;
    };
    auto store = std::make_shared<ntlm::CredentialStore>(
        std::vector<ntlm::Credential>{{"opcuser", "TESTDOM", ntlm::ntHash("Secret123!")}});
    environment.credentials = [store] { return store; };
    environment.log = [this](const std::string& line) { logLines.push_back(line); };
    for (const char* uuid : {kExporter, kActivator, kActivation}) {
      interfaces[SyntaxId{*Uuid::parse(uuid), 0, 0}] = handler;
    }
  }

  // Feeds the PDUs and runs the calls at once; returns every PDU sent.
  std::vector<std::vector<uint8_t>> feed(Association& association, const std::vector<std::vector<uint8_t>>& pdus,
                                         bool* closed = nullptr) {
    std::vector<std::vector<uint8_t>> sent;
    for (const auto& pdu : pdus) {
      auto step = association.receive(pdu);
      sent.insert(sent.end(), step.replies.begin(), step.replies.end());
      for (const auto& call : step.calls) {
        auto result = call.handler->call(call.context, call.stub);
        // An answer's fragments come in batches, back to back.
        association.respond(call, result, [&](std::span<const std::span<const uint8_t>> pieces) {
          std::vector<uint8_t> batch;
          for (auto piece : pieces) batch.insert(batch.end(), piece.begin(), piece.end());
          std::span<const uint8_t> rest(batch);
          while (!rest.empty()) {
            const auto header = decodeHeader(rest);
            if (!header.value || header.value->fragLength > rest.size()) {
              ADD_FAILURE() << "a cut or damaged answer";
              break;
            }
            sent.emplace_back(rest.begin(), rest.begin() + header.value->fragLength);
            rest = rest.subspan(header.value->fragLength);
          }
          return true;
        });
      }
      if (closed) *closed = *closed || step.close;
    }
    return sent;
  }
};

ConnectionInfo connectionOn(uint16_t port) { return ConnectionInfo{1, "127.0.0.1", port, "127.0.0.1"}; }

TEST(Association, AnswersTheCapturedClientsByteForByte) {
  // The responder's answers: the exporter calls' stubs as the signed capture
  // shows them in clear, a fault for the activation requests.
  auto plain = rpc::testing::readCapture("impacket-objexporter-integrity-ntlmv2.hex");
  auto stubOf = [](const std::vector<uint8_t>& bytes) {
    auto pdu = decodePdu(bytes);
    auto stub = std::get<ResponseBody>(pdu.value->body).stub;
    return std::vector<uint8_t>(stub.begin(), stub.end());
  };
  struct Case {
    const char* capture;
    AuthLevel minimum;
    uint16_t port;
    bool allowNtlmV1;
  };
  const Case cases[] = {
      {"impacket-objexporter-none.hex", AuthLevel::None, 13500, false},
      {"impacket-objexporter-connect-ntlmv2.hex", AuthLevel::Connect, 13500, false},
      {"impacket-objexporter-integrity-ntlmv2.hex", AuthLevel::PacketIntegrity, 13500, false},
      {"impacket-objexporter-privacy-ntlmv2.hex", AuthLevel::PacketPrivacy, 13500, false},
      {"impacket-remotecreateinstance-none.hex", AuthLevel::None, 135, false},
      {"impacket-remotecreateinstance-privacy-ntlmv2.hex", AuthLevel::PacketPrivacy, 135, false},
      {"nodedcom-remoteactivation-connect-ntlmv1ess.hex", AuthLevel::Connect, 135, true},
      {"nodedcom-bind-ntlm-md4-failure.hex", AuthLevel::Connect, 135, false},
  };
  for (const auto& c : cases) {
    Fixture fixture(c.minimum);
    fixture.handler->answers[5] = CallResult::response(stubOf(plain[4].bytes));
    fixture.handler->answers[4] = CallResult::response(stubOf(plain[6].bytes));
    fixture.handler->answers[0] = CallResult::fault(kFaultAccessDenied);
    if (std::string(c.capture).find("remote") != std::string::npos) {
      fixture.handler->answers[4] = CallResult::fault(kFaultAccessDenied);
    }
    fixture.environment.acceptor.netbiosDomain = u"TESTDOM";
    fixture.environment.acceptor.netbiosComputer = u"OPCSIM";
    fixture.environment.acceptor.dnsDomain = u"testdom.local";
    fixture.environment.acceptor.dnsComputer = u"opcsim.testdom.local";
    fixture.environment.acceptor.challengeSource = [] {
      return std::array<uint8_t, 8>{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    };
    fixture.environment.acceptor.fileTimeNow = [] { return uint64_t{0x01d882cb9b208000}; };
    fixture.environment.settings.allowNtlmV1 = c.allowNtlmV1;
    Association association(fixture.environment, connectionOn(c.port));

    std::vector<std::vector<uint8_t>> fromClient, expected;
    for (const auto& pdu : rpc::testing::readCapture(c.capture)) {
      (pdu.fromClient ? fromClient : expected).push_back(pdu.bytes);
    }
    EXPECT_EQ(fixture.feed(association, fromClient), expected) << c.capture;
  }
}

TEST(Association, NegotiatesPresentationContextsAndFeatures) {
  Fixture fixture(AuthLevel::None);
  Association association(fixture.environment, connectionOn(135));
  TestClient client(AuthLevel::None);
  SyntaxId featureSyntax{*Uuid::parse("6cb71c2c-9812-4540-0300-000000000000"), 1, 0};
  auto sent = fixture.feed(association, {client.bind({
                                             context(0, kExporter),
                                             context(1, "00000000-0000-0000-0000-000000000001"),
                                             context(2, kActivator, {ndr64Syntax()}),
                                             context(3, kActivator, {ndr64Syntax(), ndr20Syntax()}),
                                             context(4, kActivator, {featureSyntax}),
                                         })});
  ASSERT_EQ(sent.size(), 1u);
  auto ack = client.bindAck(sent[0]);
  ASSERT_TRUE(ack);
  struct Expected {
    ContextResultCode result;
    uint16_t reason;
  };
  const Expected expected[] = {
      {ContextResultCode::Acceptance, 0},
      {ContextResultCode::ProviderRejection, 1},
      {ContextResultCode::ProviderRejection, 2},
      {ContextResultCode::Acceptance, 0},
      {ContextResultCode::NegotiateAck, 2},  // keeps the connection on orphaned calls only
  };
  ASSERT_EQ(ack->results.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(ack->results[i].result, expected[i].result) << i;
    EXPECT_EQ(ack->results[i].reason, expected[i].reason) << i;
  }
  EXPECT_EQ(ack->results[3].transferSyntax, ndr20Syntax());

  // alter_context adds a context; the interface reaches its handler.
  sent = fixture.feed(association, {client.bind({context(7, kActivation)}, 0, 4280, PduType::AlterContext)});
  ASSERT_TRUE(client.bindAck(sent.at(0)));
  std::vector<uint8_t> stub = {1, 2, 3};
  auto object = Uuid::parse("00000400-1111-2222-3333-444455556666");
  sent = fixture.feed(association, client.request(5, 7, 9, stub, 0, object));
  TestClient::Answer answer;
  client.read(sent.at(0), answer);
  EXPECT_EQ(answer.stub, stub);
  EXPECT_EQ(fixture.handler->last.interfaceId.uuid.toString(), kActivation);
  EXPECT_EQ(fixture.handler->last.object, object);
}

TEST(Association, JoinsAssociationGroupsAndRefusesUnknownOnes) {
  Fixture fixture(AuthLevel::None);
  Association first(fixture.environment, connectionOn(135));
  TestClient client(AuthLevel::None);
  auto ack = client.bindAck(fixture.feed(first, {client.bind({context(0, kExporter)})}).at(0));
  ASSERT_TRUE(ack);
  ASSERT_NE(ack->assocGroupId, 0u);

  Association second(fixture.environment, connectionOn(135));
  auto joined = client.bindAck(fixture.feed(second, {client.bind({context(0, kExporter)}, ack->assocGroupId)}).at(0));
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->assocGroupId, ack->assocGroupId);

  Association third(fixture.environment, connectionOn(135));
  auto refused = decodePdu(fixture.feed(third, {client.bind({context(0, kExporter)}, 0x7777)}).at(0));
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused.value->header.type, PduType::BindNak);
}

// One authenticated connection through bind and auth3.
struct Session {
  Fixture& fixture;
  TestClient client;
  Association association;
  bool closed = false;

  Session(Fixture& f, AuthLevel level, std::string password = "Secret123!", uint32_t withoutFlags = 0)
      : fixture(f), client(level, u"opcuser", password, withoutFlags), association(f.environment, connectionOn(135)) {
    auto sent = fixture.feed(association, {client.bind({context(0, kExporter)})});
    EXPECT_TRUE(client.bindAck(sent.at(0)));
    if (client.authenticated()) {
      EXPECT_TRUE(fixture.feed(association, {client.auth3()}).empty());
    }
  }

  TestClient::Answer call(uint32_t callId, std::vector<uint8_t> stub, uint16_t contextId = 0) {
    return callFragments(client.request(callId, contextId, 9, stub));
  }
  TestClient::Answer callFragments(const std::vector<std::vector<uint8_t>>& fragments) {
    TestClient::Answer answer;
    for (const auto& bytes : fixture.feed(association, fragments, &closed)) client.read(bytes, answer);
    return answer;
  }
};

TEST(Association, RefusesCallsItMustRefuse) {
  struct Case {
    const char* what;
    AuthLevel level;
    const char* password;
    uint32_t withoutFlags;                               // NTLM flags the client leaves out
    std::function<void(std::vector<uint8_t>&)> alter;  // applied to the request
    uint16_t contextId;
    uint32_t status;
    bool closes;
  };
  const std::vector<Case> cases = {
      {"no authentication", AuthLevel::None, "Secret123!", 0, {}, 0, kFaultAccessDenied, false},
      {"level below the minimum", AuthLevel::Connect, "Secret123!", 0, {}, 0, kFaultAccessDenied, false},
      {"wrong password", AuthLevel::PacketIntegrity, "wrong", 0, {}, 0, kFaultAccessDenied, false},
      {"altered stub", AuthLevel::PacketIntegrity, "Secret123!", 0, [](std::vector<uint8_t>& b) { b[24] ^= 1; }, 0,
       kFaultAccessDenied, true},
      {"altered sealed stub", AuthLevel::PacketPrivacy, "Secret123!", 0, [](std::vector<uint8_t>& b) { b[25] ^= 1; }, 0,
       kFaultAccessDenied, true},
      {"altered header", AuthLevel::PacketPrivacy, "Secret123!", 0, [](std::vector<uint8_t>& b) { b[22] ^= 1; }, 0,
       kFaultAccessDenied, true},
      {"unbound presentation context", AuthLevel::PacketIntegrity, "Secret123!", 0, {}, 3, kFaultUnknownInterface,
       false},
      {"keys below 128 bits", AuthLevel::PacketPrivacy, "Secret123!", ntlm::flags::k128, {}, 0, kFaultAccessDenied,
       false},
      {"privacy without sealing", AuthLevel::PacketPrivacy, "Secret123!", ntlm::flags::kSeal, {}, 0,
       kFaultAccessDenied, false},
  };
  for (const auto& c : cases) {
    Fixture fixture;
    Session session(fixture, c.level, c.password, c.withoutFlags);
    std::vector<uint8_t> stub(20, 0x11);
    auto fragments = session.client.request(2, c.contextId, 9, stub);
    if (c.alter) c.alter(fragments[0]);
    auto answer = session.callFragments(fragments);
    EXPECT_EQ(answer.type, PduType::Fault) << c.what;
    EXPECT_EQ(answer.status, c.status) << c.what;
    EXPECT_TRUE(answer.flags & pfc::kDidNotExecute) << c.what;
    EXPECT_EQ(session.closed, c.closes) << c.what;
  }
}

TEST(Association, RefusesAReplayedSignedRequest) {
  Fixture fixture;
  Session session(fixture, AuthLevel::PacketIntegrity);
  auto fragments = session.client.request(2, 0, 9, std::vector<uint8_t>{1, 2, 3});
  auto answer = session.callFragments(fragments);
  EXPECT_EQ(answer.type, PduType::Response);
  EXPECT_TRUE(answer.valid);
  auto replay = session.callFragments(fragments);
  EXPECT_EQ(replay.type, PduType::Fault);
  EXPECT_EQ(replay.status, kFaultAccessDenied);
  EXPECT_TRUE(session.closed);
}

TEST(Association, FragmentsBothWaysAtEveryLevel) {
  for (AuthLevel level : {AuthLevel::None, AuthLevel::Connect, AuthLevel::PacketIntegrity, AuthLevel::PacketPrivacy}) {
    Fixture fixture(AuthLevel::None);
    Session session(fixture, level);
    std::vector<uint8_t> stub(10000);
    for (size_t i = 0; i < stub.size(); ++i) stub[i] = static_cast<uint8_t>(i * 7);
    auto fragments = session.client.request(2, 0, 9, stub, 1432);
    EXPECT_GT(fragments.size(), 7u);
    TestClient::Answer answer;
    auto sent = fixture.feed(session.association, fragments);
    EXPECT_GT(sent.size(), 2u) << toString(level);
    for (const auto& bytes : sent) {
      EXPECT_LE(bytes.size(), session.client.maxXmit());
      session.client.read(bytes, answer);
    }
    EXPECT_TRUE(answer.valid) << toString(level);
    EXPECT_EQ(answer.stub, stub) << toString(level);
    EXPECT_EQ(fixture.handler->last.security.level, level == AuthLevel::None ? AuthLevel::None : level);
    EXPECT_EQ(fixture.handler->last.security.authenticated, level != AuthLevel::None);
  }
}

TEST(Association, CapsReassemblyAndDropsTheRestOfARefusedCall) {
  Fixture fixture(AuthLevel::None);
  fixture.environment.settings.maxReassembledSize = 3000;
  Session session(fixture, AuthLevel::None);
  auto fragments = session.client.request(2, 0, 9, std::vector<uint8_t>(6000, 1), 1432);
  auto answer = session.callFragments(fragments);
  EXPECT_EQ(answer.type, PduType::Fault);
  EXPECT_EQ(answer.status, kFaultServerTooBusy);
  EXPECT_FALSE(session.closed);
  // The connection still serves the next call.
  auto next = session.call(3, {4, 5});
  EXPECT_EQ(next.type, PduType::Response);
  EXPECT_EQ(next.stub, (std::vector<uint8_t>{4, 5}));
}

TEST(Association, ClosesOnGarbageAndOnRequestsBeforeBind) {
  Fixture fixture(AuthLevel::None);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  TestClient client(AuthLevel::None);
  const Case cases[] = {
      {"request before bind", client.request(1, 0, 0, std::vector<uint8_t>{}).at(0)},
      {"not a PDU", std::vector<uint8_t>(16, 0x41)},
      {"bind_ack from a client", rpc::testing::readCapture("impacket-objexporter-none.hex").at(1).bytes},
  };
  for (const auto& c : cases) {
    Association association(fixture.environment, connectionOn(135));
    bool closed = false;
    fixture.feed(association, {c.bytes}, &closed);
    EXPECT_TRUE(closed) << c.what;
  }
}

}  // namespace
}  // namespace rpc::detail
