#include "entries/TestRoster.h"

#include "field/FieldValue.h"
#include "entries/FlexGrid.h"

#include <cmath>

namespace roster {

namespace {

const char *const kGivenNames[20] = {
    "Ana",    "Bruno", "Carla",  "Davi",   "Elisa", "Fabio",  "Gabriela", "Heitor", "Ines",  "Julio",
    "Lara",   "Marcos", "Nadia", "Otavio", "Paula", "Renato", "Sofia",    "Tiago",  "Vera",  "Wagner"};

const char *const kSurnames[20] = {
    "Silva",    "Santos",  "Oliveira", "Souza",  "Rodrigues", "Ferreira", "Alves",
    "Pereira",  "Lima",    "Gomes",    "Costa",  "Ribeiro",   "Martins",  "Carvalho",
    "Almeida",  "Lopes",   "Soares",   "Fernandes", "Vieira", "Barbosa"};

int nextIndex(Random &random)
{
    return int(std::floor(random.next() * 20.0));
}

} // namespace

double RandomSource::next()
{
    m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return double(m_state >> 11) * (1.0 / 9007199254740992.0); // 2^53
}

NamePools StandardPools()
{
    NamePools pools;
    for (int i = 0; i < 20; ++i) {
        pools.FirstNamePool[size_t(i)] = QString::fromLatin1(kGivenNames[i]);
        pools.SurnamePool[size_t(i)] = QString::fromLatin1(kSurnames[i]);
    }
    return pools;
}

QString MakeTestName(const NamePools &pools, Random &random, int maxLength)
{
    const NamePool &F = pools.FirstNamePool;
    const NamePool &S = pools.SurnamePool;
    const int g = nextIndex(random);
    const int s1 = nextIndex(random);
    int s2 = nextIndex(random);
    while (s2 == s1)
        s2 = nextIndex(random);

    const QString &given = F[size_t(g)];
    const QString &first = S[size_t(s1)];
    const QString &second = S[size_t(s2)];
    QString name = given + u' ' + first + u' ' + second;
    if (name.size() > maxLength)
        name = given + u' ' + first.left(1) + QStringLiteral(". ") + second;
    if (name.size() > maxLength)
        name = given + u' ' + second;
    if (name.size() > maxLength)
        name = given + u' ' + second.left(1) + u'.';
    // A name still too long is returned as it is, neither cut nor padded.
    if (name.size() < maxLength)
        name = name.leftJustified(maxLength, u' ');
    return name;
}

void BuildTestRoster(FlexGrid &employeeGrid, NamePools &pools, Random &random)
{
    pools = StandardPools();
    if (employeeGrid.rows() < kEmployees + 1)
        employeeGrid.setRows(kEmployees + 1);
    for (int i = 1; i <= kEmployees; ++i) {
        employeeGrid.setTextMatrix(i, 0, field::SignedDecimalText(i));
        employeeGrid.setTextMatrix(i, 1, MakeTestName(pools, random, kNameLength));
    }
}

} // namespace roster
