#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A network namespace of the test's own, made with `ip netns add` under a name that holds
// the process id, and deleted with everything in it when the object goes. Making one needs
// root; a test first asks CanCreate and skips with the reason it answers otherwise.
class CNetworkNamespace {
public:
    explicit CNetworkNamespace(std::string_view purpose);
    ~CNetworkNamespace();
    CNetworkNamespace(const CNetworkNamespace&) = delete;
    CNetworkNamespace& operator=(const CNetworkNamespace&) = delete;

    // Answers true when this process may make namespaces; otherwise false with the reason.
    static bool CanCreate(std::string& reason);

    const std::string& Name() const { return m_name; }

    // Runs `ip -n <name> <arguments>`; a failure fails the test and answers false.
    bool Ip(const std::vector<std::string>& arguments) const;
    // As Ip, answering what ip printed on its standard output in out.
    bool Ip(const std::vector<std::string>& arguments, std::string& out) const;

    // A name for an interface that no other test run uses at the same time: prefix, the
    // process id and a count, within the 15 characters of an interface name.
    static std::string UniqueInterfaceName(std::string_view prefix);

    // Runs work on a thread of its own that has entered the namespace, and waits for it.
    // Answers false (failing the test) when the thread could not enter it.
    bool RunInside(const std::function<void()>& work) const;

private:
    std::string m_name;
    bool m_created = false;
};

} // namespace testsupport
