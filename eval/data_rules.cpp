// Numbers, texts, blobs and reals applied as functions.
#include "eval/data_rules.h"

#include <cstring>
#include <string>
#include <vector>

#include "cells/bits.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"
#include "eval/analysis.h"
#include "eval/combinators.h"

namespace vorn::eval {

using cells::kUnbalanced;
using cells::makePair;

namespace {

// m: the magnitude bits (the bit string shifted down by two) with k their count of low 1 bits and
// t their highest 1 bit; k zero digits followed by the decimal digits of the bits k+1 .. t-1.
CellRef numberRest(Cell* number) {
  std::optional<cells::Bits> bits = cells::toBits(CellRef::borrow(number));
  CORE_ASSERT(bits.has_value());
  std::size_t top = cells::highestBit(*bits);
  if (top == cells::kNoBit) top = 0;
  std::size_t t = top >= 2 ? top - 2 : 0;
  std::size_t k = 0;
  while (k + 2 <= top && cells::bitAt(*bits, k + 2)) ++k;
  std::string text(k, '0');
  if (k + 1 < t) {
    // The bits k+1 .. t-1 as a non-negative integer's bit string: flags 1, 1, then the bits,
    // then one end marker above them.
    cells::Bits u(1, '\x03');
    std::size_t width = t - (k + 1);
    bool any = false;
    for (std::size_t i = 0; i < width; ++i) {
      if (cells::bitAt(*bits, k + 1 + i + 2)) {
        cells::setBitTo(u, i + 2, true);
        any = true;
      }
    }
    if (any) {
      // Drop high zero bits so the highest 1 bit of the value is the end marker.
      text += cells::atomBytes(cells::fromBits(u));
    }
  }
  return CellRef(text);
}

// The list form of a text: K for the empty text, else ((J L(init)) L(last)); a text Pair (a, b)
// gives ((J L(a)) L(b)). Texts nest inside texts, so the walk runs a small program on a stack
// of values: a job with a text pushes its list form (or the jobs that make it), and a join job
// joins the two values on top as ((J init) last). A group inside a text Atom is walked as a span
// of that Atom's bytes rather than copied into an Atom of its own, so a text nested n deep costs
// time in n, not n squared.
CellRef listForm(Cell* text) {
  const Combinators& c = combinators();
  struct Groups {
    CellRef atom;
    std::vector<std::size_t> starts;
  };
  // A job is a join (no cell, no span), a text Cell, or the content span [first, last] of the
  // Atom groups[atom] (empty when first > last).
  struct Job {
    CellRef cell;
    std::size_t atom = kUnbalanced;
    std::size_t first = 0, last = 0;
  };
  std::vector<Groups> groups;
  std::vector<Job> jobs;
  jobs.push_back(Job{CellRef::borrow(text)});
  std::vector<CellRef> values;
  // K, then each element of the span joined on in order; the jobs go on the stack last first.
  auto spanJobs = [&](std::size_t atom, std::size_t first, std::size_t last) {
    values.push_back(c.K);
    std::string_view bytes = cells::atomBytesOf(groups[atom].atom.get());
    const std::vector<std::size_t>& starts = groups[atom].starts;
    for (std::size_t end = last; first <= last && end >= first;) {
      std::size_t start = cells::elementStart(bytes, starts, first, end);
      jobs.emplace_back();
      if (start == end) {
        jobs.push_back(Job{cells::elementAtom(bytes.substr(start, 1))});
      } else {
        jobs.push_back(Job{CellRef(), atom, start + 1, end - 1});
      }
      if (start == first) break;
      end = start - 1;
    }
  };
  while (!jobs.empty()) {
    Job job = std::move(jobs.back());
    jobs.pop_back();
    if (job.atom != kUnbalanced) {
      spanJobs(job.atom, job.first, job.last);
    } else if (job.cell.empty()) {
      CellRef last = std::move(values.back());
      values.pop_back();
      CellRef init = std::move(values.back());
      values.pop_back();
      values.push_back(makePair(makePair(c.J, std::move(init)), std::move(last)));
    } else if (cells::isPair(job.cell)) {
      jobs.emplace_back();
      jobs.push_back(Job{cells::right(job.cell)});
      jobs.push_back(Job{cells::left(job.cell)});
    } else if (std::string_view bytes = cells::atomBytes(job.cell); bytes.size() < 3) {
      values.push_back(c.K);
    } else {
      groups.push_back(Groups{job.cell, cells::groupStarts(bytes)});
      spanJobs(groups.size() - 1, 1, bytes.size() - 2);
    }
  }
  return std::move(values.back());
}

// The bit tree of bits [low, low + width) of a 64-bit pattern.
CellRef bitTree(std::uint64_t pattern, int low, int width) {
  const Combinators& c = combinators();
  if (width == 1) return ((pattern >> low) & 1) != 0 ? c.K : c.H;
  int half = width / 2;
  return makePair(makePair(c.V, bitTree(pattern, low, half)), bitTree(pattern, low + half, half));
}

}  // namespace

CellRef applyNumber(Cell* number, const CellRef& argument) {
  const Combinators& c = combinators();
  std::string_view text = cells::atomBytesOf(number);
  if (text == "0") return makePair(c.K, argument);
  CellRef sign = text[0] == '0' ? c.K : c.H;
  return makePair(makePair(c.V, std::move(sign)), numberRest(number));
}

CellRef applyText(Cell* text, const CellRef& argument) {
  const Combinators& c = combinators();
  if (cells::isAtomCell(text) && cells::atomBytesOf(text) == "[]") {
    return makePair(makePair(argument, c.XJ), c.K);
  }
  if (cells::isAtomCell(argument.get()) && cells::firstByteOf(argument.get()) == 'G') {
    cells::TextSplit split = cells::splitLastElement(text);
    return makePair(makePair(c.V, std::move(split.init)), std::move(split.last));
  }
  return makePair(makePair(argument, c.XJ), listForm(text));
}

CellRef applyBlob(Cell* blob) {
  const Combinators& c = combinators();
  // Bytes that only start like a blob (its header is malformed) are no data to take apart.
  if (!cells::isBlobCell(blob)) return c.Z;
  std::string_view payload = cells::blobPayload(blob);
  if (payload.empty()) return c.Z;
  if (payload.size() == 1) return byteTree(static_cast<unsigned char>(payload[0]));
  std::size_t q = 1;
  while (q * 2 < payload.size()) q *= 2;
  return makePair(makePair(c.V, cells::makeBlob(payload.substr(0, q))),
                  cells::makeBlob(payload.substr(q)));
}

CellRef applyReal(Cell* real, const CellRef& argument) {
  std::uint64_t pattern;
  std::memcpy(&pattern, cells::atomData(real) + 1, sizeof pattern);
  return makePair(bitTree(pattern, 0, 64), argument);
}

CellRef byteTree(unsigned char byte) {
  const Combinators& c = combinators();
  auto bit = [&](int i) { return ((byte >> i) & 1) != 0 ? c.I : c.H; };
  auto j = [&](CellRef a, CellRef b) { return makePair(makePair(c.J, std::move(a)), std::move(b)); };
  CellRef low = j(j(bit(0), bit(1)), j(bit(2), bit(3)));
  CellRef high = j(j(bit(4), bit(5)), j(bit(6), bit(7)));
  return makePair(makePair(c.V, std::move(low)), std::move(high));
}

}  // namespace vorn::eval
