#include "app/command_line.h"

#include "virazuzor_version.h"

namespace app {

namespace {

constexpr std::string_view kHelp =
    "Uso: vandrelVirazuzor [--help | --version]\n"
    "\n"
    "vandrel Virazuzor, sem janela: o supervisor residente de uma estação da instalação do\n"
    "vandrel Empresa. Mantém aberta e testada uma conexão com o banco de dados Firebird,\n"
    "obedece ao estado de conexão que toda a instalação compartilha no arquivo Virazuzor.txt da\n"
    "pasta de dados (CONECTAR, DESCONECTAR, ATUALIZAR), mantém em execução os programas\n"
    "companheiros (monitor de publicações, monitor de e-mail e serviço), recusa uma segunda\n"
    "cópia na mesma pasta de dados e entrega ao atualizador quando uma nova versão é publicada.\n"
    "\n"
    "O que lê:\n"
    "  o ini do ERP na pasta do executável (vandrelempresa4.ini quando ali existe\n"
    "  vandrelempresa4.exe, senão vandrelempresa.ini), que indica o ini do servidor\n"
    "  ([IniServidor] nomearquivo); o ini do servidor indica o banco de dados ([Database]\n"
    "  Servidor, path, name), e a pasta dele é a pasta de dados. Inicie o programa na pasta\n"
    "  dele: os programas que ele inicia herdam a pasta atual.\n"
    "\n"
    "Onde escreve:\n"
    "  na saída padrão, o conteúdo da janela de situação ao fim da inicialização e depois\n"
    "  cada mudança (\"Situação Atual: CONECTADO\"), e os avisos; na saída de erro, as\n"
    "  mensagens (\"Aviso do Sistema: ...\"). Cada linha começa com a data e a hora locais\n"
    "  (\"2026-12-08 23:59:01 \"), exceto a que vai para o journal do systemd (JOURNAL_STREAM),\n"
    "  que já marca a hora das suas linhas.\n"
    "\n"
    "Como termina:\n"
    "  SIGINT (Ctrl+C), SIGTERM e SIGHUP (o terminal fechado) fazem o mesmo que o item\n"
    "  \"Sair\" do menu: fecham a conexão, apagam o arquivo de trava do programa e terminam\n"
    "  com código 0.\n"
    "\n"
    "Opções:\n"
    "  --help     mostra esta ajuda e termina\n"
    "  --version  mostra a versão e a data de compilação e termina\n";

}  // namespace

CommandLineAnswer AnswerCommandLine(std::span<const std::string_view> arguments,
                                    std::string_view buildDate) {
  CommandLineAnswer answer;
  if (arguments.empty()) return answer;
  answer.run = false;
  bool help = false;
  for (std::string_view argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      help = true;
    } else if (argument != "--version") {
      answer.exitCode = 2;  // the usage error of command-line programs
      answer.error = "vandrelVirazuzor: opção desconhecida: " + std::string(argument) +
                     "\nUse \"vandrelVirazuzor --help\" para ver as opções.\n";
      return answer;
    }
  }
  if (help) {
    answer.output = kHelp;
  } else {
    answer.output = "vandrel Virazuzor " VIRAZUZOR_VERSION_TEXT "\nCompilado em " +
                    std::string(buildDate) + ".\n";
  }
  return answer;
}

}  // namespace app
