// A streaming XML parser over expat, fed in chunks of any size. Names reach
// the handler as (namespace, local name), resolved here from the prefixes in
// scope (see Namespaces), so that prefixes do not matter and the
// transitional and strict vocabularies read alike.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

typedef struct XML_ParserStruct* XML_Parser;

namespace sheetlib::xml {

enum class Ns : std::uint8_t {
  none,         // no namespace (unprefixed attributes)
  main,         // spreadsheetml, transitional or strict
  rel,          // office document relationships (r:id), transitional or strict
  package_rel,  // package relationships (.rels parts)
  other,
};

struct Name {
  Ns ns;
  std::string_view local;
  bool is(Ns n, std::string_view l) const { return ns == n && local == l; }
};

class Namespaces;

// The attributes of one start tag, as expat hands them over.
class Attributes {
 public:
  Attributes(const char** pairs, const Namespaces& namespaces) : pairs_(pairs), namespaces_(namespaces) {}
  // The value of the attribute, or null when absent.
  const char* find(Ns ns, std::string_view local) const;
  // Walks every attribute but the namespace declarations: f(Name, value).
  template <typename F>
  void each(F&& f) const {
    for (const char** p = pairs_; *p; p += 2) {
      const Name name = resolve(p[0]);
      if (!name.local.empty()) f(name, p[1]);
    }
  }

 private:
  Name resolve(const char* qualified_name) const;
  const char** pairs_;
  const Namespaces& namespaces_;
};

// The namespace declarations in scope. expat runs without its namespace
// processing (which costs a fifth of its time on a worksheet); names are
// resolved here. Each prefix keeps the stack of its bindings, so that a
// lookup costs the same however many declarations a hostile part makes.
class Namespaces {
 public:
  // Takes the declarations of a start tag at `depth`.
  void enter(const char** attributes, int depth);
  void leave(int depth);
  // An element's name; an attribute's name when `attribute` (no prefix means
  // no namespace). An undeclared prefix gives Ns::other.
  Name resolve(const char* qualified_name, bool attribute) const;

 private:
  struct PrefixHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view prefix) const { return std::hash<std::string_view>{}(prefix); }
  };
  struct Declared {
    std::vector<Ns>* bindings;  // of its prefix, in by_prefix_ (nodes stay put)
    int depth;
  };
  std::unordered_map<std::string, std::vector<Ns>, PrefixHash, std::equal_to<>> by_prefix_;
  std::vector<Declared> declared_;  // in the order made, innermost last
  std::vector<Ns> default_;         // the default namespace's bindings
};

// Receives the events of one part. A handler that meets content it cannot
// accept calls fail(); the parser stops at once.
class Handler {
 public:
  virtual ~Handler() = default;
  virtual void start(Name name, const Attributes& attributes) = 0;
  virtual void end(Name name) = 0;
  virtual void text(std::string_view) {}
  // The start tag at the n-th place where one was expected (see
  // Parser::expect_start_at), before start() gets it; false when the tag
  // cannot be there, which fails the parse.
  virtual bool expected_start(std::size_t /*nth*/, Name /*name*/, const Attributes& /*attributes*/, int /*depth*/) {
    return false;
  }

  ReadStatus failure() const { return failure_; }

 protected:
  void fail(ReadStatus status) {
    if (failure_ == ReadStatus::ok) failure_ = status;
  }

 private:
  ReadStatus failure_ = ReadStatus::ok;
};

// The markup items (start tags, attributes, pieces of text) that the parts of
// one file may make the parser deliver, shared by the parsers of its parts,
// which may run at the same time. Counting them bounds the parser's time by
// the file, whatever the markup: tags the reader does not know cost expat as
// much as those it reads.
class MarkupBudget {
 public:
  explicit MarkupBudget(std::uint64_t items) : limit_(items) {}
  // Takes `items` from the budget; false, taking nothing, when fewer are left.
  bool draw(std::uint64_t items) {
    if (spent_.fetch_add(items, std::memory_order_relaxed) + items <= limit_) return true;
    spent_.fetch_sub(items, std::memory_order_relaxed);
    return false;
  }
  void give_back(std::uint64_t items) { spent_.fetch_sub(items, std::memory_order_relaxed); }
  std::uint64_t spent() const { return spent_.load(std::memory_order_relaxed); }

 private:
  std::uint64_t limit_;
  std::atomic<std::uint64_t> spent_{0};
};

// One reader's share of a MarkupBudget: items are drawn from the shared
// budget a block at a time, so that readers running together seldom meet;
// what is drawn and not spent goes back when the share goes.
class MarkupAllowance {
 public:
  // Without a budget every spend succeeds (and is still counted).
  explicit MarkupAllowance(MarkupBudget* budget) : budget_(budget) {}
  ~MarkupAllowance() {
    if (budget_) budget_->give_back(drawn_);
  }
  MarkupAllowance(const MarkupAllowance&) = delete;
  MarkupAllowance& operator=(const MarkupAllowance&) = delete;

  // Spends `items`; false, spending nothing, when the budget has too few.
  bool spend(std::uint64_t items);
  // Items spent so far.
  std::uint64_t spent() const { return spent_; }

 private:
  MarkupBudget* budget_;
  std::uint64_t drawn_ = 0;  // drawn from the budget, not yet spent
  std::uint64_t spent_ = 0;
};

// Parses one document (namespace declarations are checked as expat's
// namespace mode would: well-formedness of names stays expat's). Subtrees of extension lists (extLst) are not
// delivered: what Excel puts there reuses names of the main vocabulary with
// other meanings. A DOCTYPE stops the parse: no entity is ever expanded.
class Parser {
 public:
  // A parse without a budget is bounded by the depth limit alone.
  Parser(Handler& handler, const ReadLimits& limits, MarkupBudget* budget = nullptr);
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Feeds the next piece of the document; `last` marks the end. Returns
  // false once the document has failed (see status()).
  bool feed(const char* data, std::size_t size, bool last);
  // Zero-copy feeding: fill buffer(n) with up to n bytes, then commit them.
  void* buffer(std::size_t size);
  bool commit(std::size_t size, bool last);

  // ok while the document is fine so far (and after a well-formed end).
  ReadStatus status() const;

  // For a document that other parsers read parts of: a start tag must
  // begin at this byte of what this parser is fed, and the handler's
  // expected_start gets it. Places come in increasing order; one the parse
  // passes without such a tag fails it.
  void expect_start_at(std::uint64_t byte) { expected_starts_.push_back(byte); }
  bool met_every_expected_start() const { return next_expected_ == expected_starts_.size(); }
  // Markup items this parser took from the budget and spent.
  std::uint64_t spent() const { return allowance_.spent(); }
  const Namespaces& namespaces() const { return namespaces_; }

 private:
  static void on_start(void* self, const char* name, const char** attributes);
  static void on_end(void* self, const char* name);
  static void on_text(void* self, const char* text, int length);
  static void on_doctype(void* self, const char*, const char*, const char*, int);
  static void on_entity(void* self, const char*, int, const char*, int, const char*, const char*, const char*,
                        const char*);
  bool after_parse(int result);
  void stop(ReadStatus status);
  // Calls the handler: what it throws or fails with stops the parse.
  template <typename Call>
  void deliver(Call&& call);
  bool spend(std::uint64_t items) { return allowance_.spend(items); }

  XML_Parser parser_;
  Handler& handler_;
  MarkupBudget* budget_;
  MarkupAllowance allowance_;
  int max_depth_;
  int depth_ = 0;
  int skip_until_depth_ = 0;  // inside an extLst when > 0
  Namespaces namespaces_;
  ReadStatus status_ = ReadStatus::ok;
  std::vector<std::uint64_t> expected_starts_;
  std::size_t next_expected_ = 0;
};

}  // namespace sheetlib::xml
